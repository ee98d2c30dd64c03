// The viewer's settings file: language, INI folder pointer, toolbar skin, UTF-16 at the end.
#pragma once

#include <cstdio>

// Writes the keys; iniFolder (520) may be given the silent default. settingsFile (520)
// receives the path of the file the viewer will use.
void WriteViewerSettings(const wchar_t* targetFolder, wchar_t* iniFolder, int silentMode,
                         wchar_t* settingsFile);

// Rewrites the opened file (closed here in every case) as UTF-16 with the header line.
// 0 only when the final replacement failed.
int ConvertSettingsToUnicode(const wchar_t* settingsFile, FILE* source);
