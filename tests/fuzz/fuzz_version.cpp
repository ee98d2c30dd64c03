// The icon library's version text: any text gives a number, never an overflow.
#include "engine/version_rules.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring text = WideFromBytes(data, size);
  int number = VersionTextNumber(text.c_str());
  if (number < 0) __builtin_trap();
  IconLibraryReplaceable(number, text.c_str(), static_cast<long long>(size) - 1);
  return 0;
}
