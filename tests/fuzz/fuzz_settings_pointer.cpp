// The uninstaller's settings-pointer rule on any bytes: it reads only what it is given,
// and a line end more or less at the end never changes its answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "payload/uninstaller/uninstall_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so that a read past the end shows.
  uint8_t* copy = static_cast<uint8_t*>(std::malloc(size ? size : 1));
  if (size) std::memcpy(copy, data, size);
  bool pointer = IsOnlySettingsPointer(copy, size);
  std::free(copy);

  bool wide = size >= 2 && data[0] == 0xFF && data[1] == 0xFE;
  std::vector<uint8_t> longer(data, data + size);
  static const uint8_t kWideEnd[] = {'\r', 0, '\n', 0};
  static const uint8_t kEnd[] = {'\r', '\n'};
  if (wide)
    longer.insert(longer.end(), kWideEnd, kWideEnd + sizeof(kWideEnd));
  else
    longer.insert(longer.end(), kEnd, kEnd + sizeof(kEnd));
  if (IsOnlySettingsPointer(longer.data(), longer.size()) != pointer) __builtin_trap();
  return 0;
}
