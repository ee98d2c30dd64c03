#include "app/install_log.h"

#include <windows.h>

#include <cstdio>

#include "base/handles.h"
#include "base/safe_files.h"

namespace {

void AppendLatin1(std::string& out, const wchar_t* text) {
  for (; *text; ++text) {
    wchar_t c = *text;
    if (c == L'\n')
      out += "\r\n";
    else
      out += c <= 0xFF ? static_cast<char>(c) : '?';
  }
}

}  // namespace

std::string FormatInstallLogEntry(const wchar_t* date, const wchar_t* time,
                                  const wchar_t* message) {
  std::string out;
  AppendLatin1(out, date);
  out += " - ";
  AppendLatin1(out, time);
  out += ": ";
  AppendLatin1(out, message);
  out += "\r\n------------------------------------------------\r\n";
  return out;
}

bool WriteInstallLog(const wchar_t* message, std::wstring* writtenTo) {
  // Appended in the current folder, shared with every other reader and writer; a link
  // planted under the log's name is refused, and then the entry is lost.
  GuardedFolder folder;
  if (GuardedFolder::OpenResolved(L".", folder) != FileStatus::Done) return false;
  UniqueHandle file;
  if (OpenAppendFile(folder, kInstallLogName, file) != FileStatus::Done) return false;
  if (writtenTo) *writtenTo = folder.PathOf(kInstallLogName);
  wchar_t date[256] = {};
  if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, 256) == 0)
    date[0] = L'\0';
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t time[16];
  swprintf(time, 16, L"%02u:%02u:%02u", now.wHour, now.wMinute, now.wSecond);
  std::string entry = FormatInstallLogEntry(date, time, message);
  DWORD written = 0;
  return WriteFile(file.get(), entry.data(), static_cast<DWORD>(entry.size()), &written,
                   nullptr) != FALSE;
}
