// Whether an installed icon library may be replaced by the payload's.
#pragma once

// Version text ("%d.%d%d") and, when companyName is given (260), the CompanyName of
// block 040904E4; 1 when the fixed version information could be read.
int ReadVersionInfo(const wchar_t* path, wchar_t* versionText /* 260 */,
                    wchar_t* companyName /* 260 or null */);

// True when the library at path is missing, unreadable, or old and ours.
bool ShouldReplaceIconLibrary(const wchar_t* path);
