// The version resource of an installed library: whatever the bytes, the block found lies
// inside them (the library sits where a user may have put it).
#include <cstddef>
#include <cstdint>

#include "engine/version_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t offset = 0, length = 0;
  if (!FindVersionResource(data, size, offset, length)) {
    if (offset != 0 || length != 0) __builtin_trap();
    return 0;
  }
  if (length == 0 || offset > size || length > size - offset) __builtin_trap();
  // Touch every byte of the block, so that AddressSanitizer sees any read beyond the input.
  volatile uint8_t sum = 0;
  for (size_t i = 0; i < length; ++i) sum = sum + data[offset + i];
  return 0;
}
