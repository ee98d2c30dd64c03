// The version-text rule of the icon library; no Win32 calls.
#pragma once

// The leading decimal number of a version text, narrowed to float, times 1000, truncated.
int VersionTextNumber(const wchar_t* text);

// The rule on the comparable numbers; fileSize < 0 when the file could not be opened.
bool IconLibraryReplaceable(int installedNumber, const wchar_t* companyName, long long fileSize);
