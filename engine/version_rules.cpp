#include "engine/version_rules.h"

#include <climits>
#include <cstddef>
#include <cstdlib>

namespace {

constexpr long long kReplaceableSize = 226816;  // the 4.30 library as we shipped it

bool EqualsVestalor(const wchar_t* company) {
  static const wchar_t kName[] = L"vestalor";
  size_t i = 0;
  for (; company[i] && kName[i]; ++i) {
    wchar_t c = company[i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    if (c != kName[i]) return false;
  }
  return company[i] == L'\0' && kName[i] == L'\0';
}

// Decimal digits from text on into value, saturated at INT_MAX; returns the first character
// after them (text itself when there is no digit).
const wchar_t* ReadWholeNumber(const wchar_t* text, int& value) {
  value = 0;
  for (; *text >= L'0' && *text <= L'9'; ++text) {
    int digit = *text - L'0';
    value = value > (INT_MAX - digit) / 10 ? INT_MAX : value * 10 + digit;
  }
  return text;
}

}  // namespace

int VersionTextNumber(const wchar_t* text) {
  // Digits, an optional point and digits; the rest of the text does not count.
  char number[64];
  size_t n = 0;
  bool point = false;
  for (; n + 1 < sizeof(number); ++text) {
    if (*text >= L'0' && *text <= L'9') {
      number[n++] = static_cast<char>(*text);
    } else if (*text == L'.' && !point) {
      point = true;
      number[n++] = '.';
    } else {
      break;
    }
  }
  number[n] = '\0';
  float scaled = static_cast<float>(strtod(number, nullptr)) * 1000.0f;
  return scaled < 2147483520.0f ? static_cast<int>(scaled) : 2147483520;  // no overflow
}

bool IconLibraryReplaceable(int installedNumber, const wchar_t* companyName, long long fileSize) {
  const int threshold = VersionTextNumber(L"4.30");
  if (installedNumber > threshold) return false;
  if (installedNumber < threshold) return EqualsVestalor(companyName);
  return fileSize == kReplaceableSize && EqualsVestalor(companyName);
}

bool ParseProductVersion(const wchar_t* text, int& major, int& minor) {
  const wchar_t* point = ReadWholeNumber(text, major);
  if (point == text || *point != L'.') return false;
  return ReadWholeNumber(point + 1, minor) != point + 1;
}

bool IsNewerProductVersion(const wchar_t* text, int major, int minor) {
  int installedMajor = 0, installedMinor = 0;
  if (!ParseProductVersion(text, installedMajor, installedMinor)) return false;
  return installedMajor != major ? installedMajor > major : installedMinor > minor;
}
