#include "base/option_rules.h"

#include <climits>
#include <cstdint>
#include <cwchar>

#include "base/text_rules.h"

namespace {

constexpr size_t kOptionWindow = 260;  // characters looked at from an option's first one

bool IsWhiteSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

}  // namespace

bool HasSilentSwitch(const wchar_t* commandLine) { return Contains(commandLine, L"/silent"); }

bool ReadOptionValue(const wchar_t* lineCopy, const wchar_t* option, wchar_t* value,
                     size_t capacity) {
  const wchar_t* found = wcsstr(lineCopy, option);
  if (!found || capacity == 0) return false;
  size_t optionLen = wcslen(option);
  size_t limit = optionLen < kOptionWindow ? kOptionWindow - optionLen : 0;
  if (limit > capacity - 1) limit = capacity - 1;
  const wchar_t* src = found + optionLen;
  size_t n = 0;
  while (n < limit && src[n] != L'\0' && src[n] != L'/') {
    value[n] = src[n];
    ++n;
  }
  value[n] = L'\0';
  return true;
}

void NormalizePathArgument(wchar_t* path) {
  size_t len = wcslen(path);
  while (len > 0 && path[len - 1] == L' ') path[--len] = L'\0';
  if (len > 0 && path[len - 1] == L'"') path[--len] = L'\0';
  if (path[0] == L'"') {
    wmemmove(path, path + 1, len);  // moves the terminator too
    --len;
  }
  while (len > 0 && path[len - 1] == L' ') path[--len] = L'\0';
}

int ParseOptionNumber(const wchar_t* text) {
  while (IsWhiteSpace(*text)) ++text;
  bool negative = false;
  if (*text == L'+' || *text == L'-') negative = *text++ == L'-';
  int64_t value = 0;
  for (; *text >= L'0' && *text <= L'9'; ++text) {
    value = value * 10 + (*text - L'0');
    if (value > static_cast<int64_t>(INT_MAX) + 1) value = static_cast<int64_t>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

bool ReadNumberOption(const wchar_t* line, const wchar_t* option, int32_t& field) {
  wchar_t value[kMaxPath];
  if (!ReadOptionValue(line, option, value, kMaxPath)) return false;
  field = ParseOptionNumber(value);
  return true;
}

bool ReadPathOption(const wchar_t* line, const wchar_t* option, wchar_t* field) {
  if (!ReadOptionValue(line, option, field, kLongPath)) return false;
  if (field[0] != L'\0') NormalizePathArgument(field);
  return true;
}

void ReadDeploymentOptions(const wchar_t* commandLine, DeploymentOptions& options) {
  wchar_t line[kLongPath];
  CopyText(line, kLongPath, commandLine);  // the same 519 characters as every option
  ReadPathOption(line, L"/log=", options.logPath);
  ReadNumberOption(line, L"/closeviewer=", options.closeViewerSeconds);
  options.progress = Contains(line, L"/progress");
  options.allowDowngrade = Contains(line, L"/allowdowngrade");
}

bool PathOptionCutByLineLimit(const wchar_t* commandLine, const wchar_t* option) {
  if (wcslen(commandLine) < static_cast<size_t>(kLongPath)) return false;  // read whole
  wchar_t line[kLongPath];
  CopyText(line, kLongPath, commandLine);
  wchar_t seen[kLongPath], whole[kLongPath];
  // The first occurrence within the part read is the first of the whole line as well.
  if (!ReadOptionValue(line, option, seen, kLongPath)) return false;
  ReadOptionValue(commandLine, option, whole, kLongPath);
  NormalizePathArgument(seen);
  NormalizePathArgument(whole);
  return wcscmp(seen, whole) != 0;
}
