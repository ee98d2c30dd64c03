// Blank trimming, path normalising and the bounded copies on texts of any length.
#include "app/options.h"
#include "base/text_rules.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t capacity = 1 + data[0] % 32;
  std::wstring text = WideFromBytes(data + 1, size - 1);
  if (text.size() > 519) text.resize(519);
  wchar_t buffer[520];
  wcscpy(buffer, text.c_str());
  TrimBlanks(buffer);
  RequireTerminated(buffer, 520);
  size_t len = wcslen(buffer);
  if (len > 0 && buffer[len - 1] == L' ') __builtin_trap();
  if (len > 0 && len < 260 && buffer[0] == L' ') __builtin_trap();

  wcscpy(buffer, text.c_str());
  NormalizePathArgument(buffer);
  RequireTerminated(buffer, 520);
  if (wcslen(buffer) > text.size()) __builtin_trap();

  wchar_t small[33];
  CopyText(small, capacity, text.c_str());
  AppendText(small, capacity, text.c_str());
  AppendBackslash(small, capacity);
  RequireTerminated(small, capacity);
  return 0;
}
