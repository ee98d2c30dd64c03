// Text output of the console helpers: wide to a console, UTF-8 to a pipe or a file.
#pragma once

#include <windows.h>

inline void WriteText(DWORD stream, const wchar_t* text) {
  HANDLE out = GetStdHandle(stream);
  if (out == INVALID_HANDLE_VALUE || out == nullptr) return;
  DWORD mode = 0, written = 0;
  int length = lstrlenW(text);
  if (GetConsoleMode(out, &mode)) {
    WriteConsoleW(out, text, DWORD(length), &written, nullptr);
    return;
  }
  char buffer[4096];
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, buffer, sizeof(buffer), nullptr,
                                  nullptr);
  if (bytes > 0) WriteFile(out, buffer, DWORD(bytes), &written, nullptr);
}

inline void WriteOut(const wchar_t* text) { WriteText(STD_OUTPUT_HANDLE, text); }
inline void WriteError(const wchar_t* text) { WriteText(STD_ERROR_HANDLE, text); }
