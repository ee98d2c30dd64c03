// Placeholder of the uninstaller: the real one replaces this target in a later version.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  MessageBoxW(nullptr,
              L"Die Deinstallation von Lumagrove ist in dieser Version noch nicht "
              L"enthalten.\n\nDas Deinstallationsprogramm folgt mit einer späteren Version.",
              L"Lumagrove deinstallieren", MB_OK | MB_ICONINFORMATION);
  return 0;
}
