// Small text rules over fixed wide buffers; no Win32 calls, so they build natively too.
#pragma once

#include <cstddef>

constexpr int kMaxPath = 260;   // MAX_PATH
constexpr int kLongPath = 520;  // the wide buffers of folders and the command-line copy

// Removes U+0020 blanks at the end and, for texts shorter than 260 characters, at the start.
void TrimBlanks(wchar_t* text);

// Copies at most capacity - 1 characters and always terminates; returns the length copied.
size_t CopyText(wchar_t* dest, size_t capacity, const wchar_t* src);
// Appends within capacity, always terminated; returns false when src had to be cut.
bool AppendText(wchar_t* dest, size_t capacity, const wchar_t* src);
// Appends a backslash unless the text is empty-free and already ends in one; false if no room.
bool AppendBackslash(wchar_t* dest, size_t capacity);
bool EndsWith(const wchar_t* text, wchar_t c);
bool Contains(const wchar_t* text, const wchar_t* part);

// The folder of the program named by an open command ("\"C:\\x\\lg_show64.exe\" \"%1\""):
// the characters after the first one up to the next quote, cut after the last slash or
// backslash, ending in a backslash. Returns false when the command does not name the viewer.
bool ParseOpenCommandFolder(const wchar_t* command, wchar_t* folder, size_t capacity);
