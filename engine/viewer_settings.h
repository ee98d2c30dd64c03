// The viewer's settings file: language, INI folder pointer, toolbar skin, UTF-16 at the end.
//
// The files lie where users can write (the settings folder under %APPDATA%, a program
// folder outside Program Files), so the private-profile functions never see them: they
// work on copies in a private folder, read in and put back through the guarded reads
// and writes that refuse links and hard links.
#pragma once

// Writes the keys; iniFolder (520) may be given the silent default. settingsFile (520)
// receives the path of the file the viewer will use. A settings folder or file that is a
// link, a hard link or leads elsewhere keeps the settings in the program folder, without
// the pointer; a silent run logs what was refused and why.
void WriteViewerSettings(const wchar_t* targetFolder, wchar_t* iniFolder, int silentMode,
                         wchar_t* settingsFile);

// Rewrites the file as UTF-16 with the header line, through a scratch file committed over
// it. A file that cannot be read (or is refused) is left alone. 0 only when the conversion
// or the final replacement failed.
int ConvertSettingsToUnicode(const wchar_t* settingsFile);
