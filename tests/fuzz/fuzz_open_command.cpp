// The open command read back from the registry, with buffers of every size.
#include "base/text_rules.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t capacity = 1 + data[0] % 64;
  std::wstring command = WideFromBytes(data + 1, size - 1);
  if (command.size() > 259) command.resize(259);  // what the 260-character read can give
  wchar_t folder[520];
  bool found = ParseOpenCommandFolder(command.c_str(), folder, 520);
  RequireTerminated(folder, 520);
  if (found != (command.find(L"lg_show64.exe") != std::wstring::npos)) __builtin_trap();
  if (found && !EndsWith(folder, L'\\')) __builtin_trap();
  wchar_t small[64];
  ParseOpenCommandFolder(command.c_str(), small, capacity);
  RequireTerminated(small, capacity);
  return 0;
}
