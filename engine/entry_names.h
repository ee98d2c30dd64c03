// Rules for the names of archive entries; no Win32 calls.
#pragma once

// False for a name that would leave the target folder: absolute ("/x", "\x"), with a drive
// or stream colon ("C:x", "a:b"), or with a ".." part.
bool IsSafeEntryName(const char* name);

// Whether the name, ASCII letters lower-cased, contains "icons.dll".
bool NamesIconLibrary(const char* name);

// Offset of the character after the last slash or backslash (0 when there is none).
unsigned BareNameOffset(const char* name);
