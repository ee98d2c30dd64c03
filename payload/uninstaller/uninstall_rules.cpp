// Text rules of the uninstaller: its switch, the viewer's ProgIDs, folder comparison, the
// settings pointer and the list of what stays.
#include "payload/uninstaller/uninstall_rules.h"

#include <cwchar>
#include <cwctype>

namespace {

constexpr wchar_t kOwnProgIdPrefix[] = L"lumagrove.";
constexpr char kUnicodeHeader[] = "; UNICODE FILE - edit with care ;-)";

// Text units of a settings file: bytes, or UTF-16 code units after FF FE.
class SettingsText {
 public:
  SettingsText(const unsigned char* bytes, size_t size) : bytes_(bytes), size_(size) {
    wide_ = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    if (wide_) start_ = 2;
  }
  bool Complete() const { return !wide_ || (size_ - start_) % 2 == 0; }
  size_t Count() const { return (size_ - start_) / (wide_ ? 2 : 1); }
  unsigned At(size_t i) const {
    if (!wide_) return bytes_[start_ + i];
    return bytes_[start_ + 2 * i] | (unsigned{bytes_[start_ + 2 * i + 1]} << 8);
  }

 private:
  const unsigned char* bytes_;
  size_t size_;
  size_t start_ = 0;
  bool wide_ = false;
};

bool IsBlank(unsigned c) { return c == ' ' || c == '\t' || c == '\r'; }

unsigned AsciiLower(unsigned c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// Units [begin, end) of text without the blanks around them.
struct Span {
  size_t begin, end;
};

Span Trimmed(const SettingsText& text, Span span) {
  while (span.begin < span.end && IsBlank(text.At(span.begin))) ++span.begin;
  while (span.end > span.begin && IsBlank(text.At(span.end - 1))) --span.end;
  return span;
}

// Whether the span is the ASCII word, letter case aside (or exactly, when exact).
bool SpanIs(const SettingsText& text, Span span, const char* word, bool exact = false) {
  size_t n = 0;
  while (word[n] != '\0') ++n;
  if (span.end - span.begin != n) return false;
  for (size_t i = 0; i < n; ++i) {
    unsigned c = text.At(span.begin + i), w = static_cast<unsigned char>(word[i]);
    if (exact ? c != w : AsciiLower(c) != AsciiLower(w)) return false;
  }
  return true;
}

size_t WithoutFinalBackslash(const wchar_t* path) {
  size_t n = wcslen(path);
  return n > 0 && path[n - 1] == L'\\' ? n - 1 : n;
}

}  // namespace

bool WantsSilentRemoval(const wchar_t* arguments) {
  return arguments && wcsstr(arguments, L"/silent") != nullptr;
}

bool IsOwnProgId(const wchar_t* progId) {
  if (!progId) return false;
  size_t i = 0;
  for (; kOwnProgIdPrefix[i] != L'\0'; ++i)
    if (progId[i] == L'\0' || towlower(progId[i]) != kOwnProgIdPrefix[i]) return false;
  return progId[i] != L'\0';
}

bool IsSameFolder(const wchar_t* a, const wchar_t* b) {
  size_t n = WithoutFinalBackslash(a);
  if (n == 0 || n != WithoutFinalBackslash(b)) return false;
  for (size_t i = 0; i < n; ++i)
    if (towlower(a[i]) != towlower(b[i])) return false;
  return true;
}

bool IsOnlySettingsPointer(const void* bytes, size_t size) {
  if (!bytes) return false;
  SettingsText text(static_cast<const unsigned char*>(bytes), size);
  if (!text.Complete()) return false;
  const size_t count = text.Count();
  bool inOthers = false;
  int pointers = 0;
  for (size_t begin = 0; begin < count;) {
    size_t end = begin;
    while (end < count && text.At(end) != '\n') {
      if (text.At(end) == 0) return false;
      ++end;
    }
    Span line = Trimmed(text, {begin, end});
    begin = end + 1;
    if (line.begin == line.end || SpanIs(text, line, kUnicodeHeader, true)) continue;
    if (text.At(line.begin) == '[') {
      if (text.At(line.end - 1) != ']' || line.end - line.begin < 2) return false;
      inOthers = SpanIs(text, Trimmed(text, {line.begin + 1, line.end - 1}), "Others");
      if (!inOthers) return false;
      continue;
    }
    size_t equals = line.begin;
    while (equals < line.end && text.At(equals) != '=') ++equals;
    if (!inOthers || equals == line.end ||
        !SpanIs(text, Trimmed(text, {line.begin, equals}), "INI_Folder"))
      return false;
    Span value = Trimmed(text, {equals + 1, line.end});
    if (value.begin == value.end) return false;
    ++pointers;
  }
  return pointers == 1;
}

std::wstring ListLeftItems(const LeftItems& items, size_t maxLines) {
  std::wstring text;
  size_t shown = 0;
  for (const LeftItem& item : items) {
    if (shown == maxLines) {
      text += text.empty() ? L"..." : L"\n...";
      break;
    }
    if (shown++ > 0) text += L'\n';
    text += item.path;
    text += L": ";
    text += item.reason ? item.reason : L"";
  }
  return text;
}
