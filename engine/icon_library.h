// Whether an installed icon library may be replaced by the payload's.
#pragma once

#include <string>

#include "base/safe_files.h"

// Version text ("%d.%d%d") and, when companyName is given (260), the CompanyName of
// block 040904E4, from the bytes of a library; 1 when the fixed version information could
// be read.
int ReadVersionInfo(const std::string& library, wchar_t* versionText /* 260 */,
                    wchar_t* companyName /* 260 or null */);

// True when Icons.dll in the plug-in folder is missing, unreadable, refused (a link or a
// hard link: the walk then replaces the name itself), or old and ours. Only the bytes a
// guarded read returned are looked at.
bool ShouldReplaceIconLibrary(const GuardedFolder& plugins);
