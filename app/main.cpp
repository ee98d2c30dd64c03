// Entry point and the process-wide objects of the setup program.
#include <windows.h>

#include "app/the_app.h"
#include "wizard/wiz_sheet.h"

namespace {
// The sheet is constructed first: the application object refers to it.
CWizPropertySheet wizardSheet;
TheApp theApp(&wizardSheet);
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunApplication(); }
