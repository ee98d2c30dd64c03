// Comparing the paths the system reports for opened files with the paths we meant; no
// Win32 calls, so they build natively too.
#pragma once

#include <string>

// A final path as the system reports it ("\\?\C:\a\", "\\?\UNC\srv\share\a") in the form
// of an ordinary path ("C:\a", "\\srv\share\a"), without a final backslash.
std::wstring PlainFinalPath(const wchar_t* finalPath);

// Whether two plain paths name the same place. Letter case counts only outside ASCII, so
// names Windows might fold together compare as different: a refusal, never a false match.
bool IsSamePath(const std::wstring& a, const std::wstring& b);

// Whether child is folder followed by one backslash and name (name may hold backslashes).
bool IsPathOf(const std::wstring& child, const std::wstring& folder, const std::wstring& name);

// Whether path lies strictly below folder.
bool IsPathBelow(const std::wstring& path, const std::wstring& folder);

// A folder's path as messages and logs show it: without final backslashes, except the one
// of a drive root ("C:\\").
std::wstring ShownFolder(std::wstring path);

// Whether a file name has no folder part, no drive or stream colon and is not "." or "..".
bool IsPlainFileName(const wchar_t* name);
