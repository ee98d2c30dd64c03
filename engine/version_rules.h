// The version-text rules of the icon library and of the installed product; no Win32 calls.
#pragma once

// The leading decimal number of a version text, narrowed to float, times 1000, truncated.
int VersionTextNumber(const wchar_t* text);

// The rule on the comparable numbers; fileSize < 0 when the file could not be opened.
bool IconLibraryReplaceable(int installedNumber, const wchar_t* companyName, long long fileSize);

// A product version as the uninstall entry's DisplayVersion holds it, written "%d.%d": the
// digits before the first point are the major version, the digits after it the minor
// version as a whole number ("4.60" is 4 and 60, "4.6" is 4 and 6, older than 4.58). What
// follows the minor's digits does not count ("4.60.1", "4.60 beta"); numbers saturate.
// False for a text without digits right before and right after the point.
bool ParseProductVersion(const wchar_t* text, int& major, int& minor);

// Whether the text names a version above major.minor; a text that does not parse does not.
bool IsNewerProductVersion(const wchar_t* text, int major, int minor);
