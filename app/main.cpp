// Entry point and the process-wide objects of the setup program.
#include <windows.h>

#include "app/the_app.h"

namespace {
TheApp theApp;
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunApplication(); }
