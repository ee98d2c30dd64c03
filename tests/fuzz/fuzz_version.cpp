// The version texts: the icon library's gives a number, never an overflow; a registered
// product version parses to numbers that are never negative, only a parsed one is newer,
// and a word appended after a blank changes nothing.
#include "engine/version_rules.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring text = WideFromBytes(data, size);
  int number = VersionTextNumber(text.c_str());
  if (number < 0) __builtin_trap();
  IconLibraryReplaceable(number, text.c_str(), static_cast<long long>(size) - 1);

  int major = -1, minor = -1;
  bool parsed = ParseProductVersion(text.c_str(), major, minor);
  if (parsed && (major < 0 || minor < 0)) __builtin_trap();
  bool newer = IsNewerProductVersion(text.c_str(), 4, 58);
  if (newer && !parsed) __builtin_trap();
  std::wstring longer = text + L" beta";
  int longerMajor = -1, longerMinor = -1;
  if (ParseProductVersion(longer.c_str(), longerMajor, longerMinor) != parsed) __builtin_trap();
  if (parsed && (longerMajor != major || longerMinor != minor)) __builtin_trap();
  if (IsNewerProductVersion(longer.c_str(), 4, 58) != newer) __builtin_trap();
  return 0;
}
