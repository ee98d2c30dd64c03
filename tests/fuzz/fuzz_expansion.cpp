// %NAME% expansion: the first line is the text, the others NAME=VALUE variables.
#include <map>

#include "engine/settings_rules.h"
#include "fuzz_input.h"

namespace {
class Variables final : public EnvironmentLookup {
 public:
  std::map<std::wstring, std::wstring> values;
  bool Get(const std::wstring& name, std::wstring& value) const override {
    auto it = values.find(name);
    if (it == values.end()) return false;
    value = it->second;
    return true;
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring input = WideFromBytes(data, size);
  Variables env;
  size_t end = input.find(L'\n');
  std::wstring text = input.substr(0, end);
  while (end != std::wstring::npos) {
    size_t next = input.find(L'\n', end + 1);
    std::wstring line = input.substr(end + 1, next == std::wstring::npos ? next : next - end - 1);
    size_t eq = line.find(L'=');
    if (eq != std::wstring::npos) env.values[line.substr(0, eq)] = line.substr(eq + 1);
    end = next;
  }
  wchar_t out[520];
  bool ok = ExpandEnvironmentNames(text.c_str(), out, 520, env);
  RequireTerminated(out, 520);
  if (!ok && out[0] != L'\0') __builtin_trap();
  if (text.find(L'%') == std::wstring::npos && text.size() < 520 && (!ok || text != out))
    __builtin_trap();
  return 0;
}
