// Text rules of the wizard pages; no Win32 calls, so they build natively for fuzzing too.
#pragma once

#include <cstddef>

// Fills a template text whose placeholders are "%s": each takes the next argument (an
// empty text once they run out), "%%" gives "%", every other character is copied as it
// is. The template is never used as a printf format. False when out had to be cut.
bool FormatTemplateText(const wchar_t* format, const wchar_t* const* args, size_t argCount,
                        wchar_t* out, size_t capacity);

// The welcome page's folder check: the path splitter (drive 2, folder, name and extension
// 255 characters each) finds a drive part. False for an empty text, a text without
// "X:" at its start, and a text whose parts do not fit the splitter.
bool TargetTextHasDrive(const wchar_t* text);

// The folder browser's result made into a target folder: a final backslash, then
// "Lumagrove\" unless the last folder is already named so (any case); a drive root gets it
// too. False (path unchanged) when the result does not fit.
bool CompleteBrowsedFolder(wchar_t* path, size_t capacity);

// The folder the browser opens on: the text without its final backslash when it is
// longer than three characters (so C:\ stays C:\).
void BrowserStartFolder(const wchar_t* text, wchar_t* out, size_t capacity);

// The installed viewer's path for a folder text: blanks trimmed, a backslash, then
// "lg_show64.exe". False when it does not fit.
bool BuildViewerPath(const wchar_t* folderText, wchar_t* path, size_t capacity);

// Cuts every character that is not a letter or digit from the end of the release notes.
void StripReleaseNotesTail(wchar_t* text);
