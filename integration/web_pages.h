// The vendor's web pages: the wizard links them, the uninstall entry names them.
#pragma once

// LG_WEB_BASE (scheme and host, no final slash) comes from the CMake setting of that name.
inline constexpr wchar_t kAboutUrl[] = LG_WEB_BASE L"/";
inline constexpr wchar_t kLicenceUrl[] = LG_WEB_BASE L"/eula.htm";
inline constexpr wchar_t kFaqUrl[] = LG_WEB_BASE L"/faq.htm";
