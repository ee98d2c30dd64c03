// Turning fuzzer bytes into the wide texts the rules take (two bytes per UTF-16 unit).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <string>

inline std::wstring WideFromBytes(const uint8_t* data, size_t size) {
  std::wstring text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    wchar_t c = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    text += c == 0 ? L' ' : c;  // the rules take terminated texts
  }
  return text;
}

// The rules must always leave a terminated text inside the buffer.
inline void RequireTerminated(const wchar_t* buffer, size_t capacity) {
  if (wcsnlen(buffer, capacity) >= capacity) __builtin_trap();
}
