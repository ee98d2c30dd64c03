/* One plug-in library of the viewer: it tells the viewer what it is and which plug-in
   interface it speaks; the description comes from the configured plugin_info.h. */
#include <windows.h>

#include "plugin_info.h"

/* The interface version of the 4.58 viewer's plug-ins. */
#define LG_PLUGIN_INTERFACE 458

__declspec(dllexport) const wchar_t* LgPluginInfo(void) { return LG_PLUGIN_DESCRIPTION; }

__declspec(dllexport) int LgPluginInterface(void) { return LG_PLUGIN_INTERFACE; }

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}
