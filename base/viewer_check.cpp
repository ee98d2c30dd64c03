#include "base/viewer_check.h"

#include <windows.h>

bool IsViewerRunning() { return FindWindowW(L"Lumagrove", nullptr) != nullptr; }
