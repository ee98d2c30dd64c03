#include "integration/registration.h"

void IntegrateWithSystem(int32_t, const wchar_t*, int32_t, int32_t, int32_t, int32_t,
                         const int32_t*) {}

bool TargetFolderFits(const wchar_t*) { return true; }
