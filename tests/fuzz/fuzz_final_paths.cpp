// The final-path rules of the guarded file work: a path called "of" or "below" a folder is
// never the folder itself or a place beside it.
#include <string>

#include "base/path_rules.h"
#include "fuzz_input.h"

namespace {

// ASCII letters folded, as the rules fold them.
std::wstring Folded(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'a' && c <= L'z') c = c - L'a' + L'A';
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring text = WideFromBytes(data, size);
  // Three texts separated by "|": a final path, a folder, a name.
  size_t a = text.find(L'|'), b = a == std::wstring::npos ? a : text.find(L'|', a + 1);
  if (b == std::wstring::npos) return 0;
  std::wstring path = PlainFinalPath(text.substr(0, a).c_str());
  std::wstring folder = text.substr(a + 1, b - a - 1);
  std::wstring name = text.substr(b + 1);

  if (path.rfind(L"\\\\?\\", 0) == 0 && text.rfind(L"\\\\?\\\\\\?\\", 0) != 0) __builtin_trap();
  if (IsPathBelow(path, folder)) {
    if (IsSamePath(path, folder)) __builtin_trap();
    std::wstring base = Folded(folder);
    while (!base.empty() && base.back() == L'\\') base.pop_back();
    if (Folded(path).compare(0, base.size() + 1, base + L"\\") != 0) __builtin_trap();
  }
  if (IsPathOf(path, folder, name) && !name.empty() && name.find_first_not_of(L'\\') != 0 &&
      !IsPathBelow(path, folder))
    __builtin_trap();
  if (IsPlainFileName(name.c_str()) && name.find_first_of(L"\\/:") != std::wstring::npos)
    __builtin_trap();
  return 0;
}
