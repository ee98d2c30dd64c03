// Archive entry names: a name called safe never leaves the target folder.
#include <cstring>
#include <string>

#include "engine/entry_names.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string name(reinterpret_cast<const char*>(data), size);
  name = name.c_str();  // names are terminated strings
  NamesIconLibrary(name.c_str());
  unsigned offset = BareNameOffset(name.c_str());
  if (offset > name.size()) __builtin_trap();
  if (!IsSafeEntryName(name.c_str())) return 0;
  if (name.empty() || name[0] == '/' || name[0] == '\\' || name.find(':') != std::string::npos)
    __builtin_trap();
  // No part may be ".." once Windows has dropped trailing dots and blanks.
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (part.empty() && name.substr(start, end - start).rfind("..", 0) == 0) __builtin_trap();
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return 0;
}
