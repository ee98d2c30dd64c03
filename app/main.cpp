// Entry point of the setup program.
#include <windows.h>

#include "app/the_app.h"
#include "base/system_helpers.h"
#include "wizard/wiz_sheet.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // First of all: the setup runs elevated from a folder a user may write, and from here on
  // no library is looked for there. The objects are made only afterwards, so that no
  // constructor runs before it.
  HardenDllSearchPath();
  // The sheet is constructed first: the application object refers to it.
  CWizPropertySheet wizardSheet;
  TheApp theApp(&wizardSheet);
  return RunApplication();
}
