#include "base/step_log.h"

#include <cwchar>

#include "base/run_log.h"
#include "base/system_helpers.h"
#include "base/text_rules.h"

namespace {

StepLog* active = nullptr;

constexpr wchar_t kWindowsVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

bool IsLineBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }

std::string ToUtf8(const std::wstring& text) {
  std::string out;
  if (text.empty()) return out;
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  if (n <= 0) return out;
  out.resize(static_cast<size_t>(n));
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

// The version Windows really runs: RtlGetVersion does not depend on what the program's
// manifest declares (the uninstaller's declares no supportedOS, and GetVersionExW would
// say 6.2 to it). ntdll is in every process, so nothing is loaded here.
void LogWindowsVersion() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  wchar_t path[kMaxPath];
  HMODULE ntdll = SystemLibraryPath(L"ntdll.dll", path, kMaxPath) ? GetModuleHandleW(path) : nullptr;
  auto getVersion = ntdll ? reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(
                                GetProcAddress(ntdll, "RtlGetVersion")))
                          : nullptr;
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!getVersion || getVersion(&info) != 0) {
    LogStep(L"Windows: Version unbekannt");
    return;
  }
  wchar_t product[kMaxPath] = {}, release[64] = {}, named[kMaxPath + 80] = {};
  ReadMachineString(kWindowsVersionKey, L"ProductName", product, kMaxPath);
  ReadMachineString(kWindowsVersionKey, L"DisplayVersion", release, 64);
  if (product[0])
    swprintf(named, kMaxPath + 80, release[0] ? L" (%ls %ls)" : L" (%ls)", product, release);
  LogStep(L"Windows: %lu.%lu.%lu%ls%ls%ls", info.dwMajorVersion, info.dwMinorVersion,
          info.dwBuildNumber, info.szCSDVersion[0] ? L" " : L"", info.szCSDVersion, named);
}

// Whether the token is elevated, and its account as DOMAIN\name.
void LogAccount() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) {
    LogStep(L"Prozess: Token nicht lesbar");
    return;
  }
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  if (GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size))
    LogStep(L"Erhöht (Administrator): %ls", elevation.TokenIsElevated ? L"ja" : L"nein");
  else
    LogStep(L"Erhöht (Administrator): unbekannt");
  alignas(TOKEN_USER) unsigned char buffer[256];
  wchar_t name[256] = {}, domain[256] = {};
  DWORD nameChars = 256, domainChars = 256;
  SID_NAME_USE use;
  auto* user = reinterpret_cast<TOKEN_USER*>(buffer);
  if (GetTokenInformation(token.get(), TokenUser, buffer, sizeof(buffer), &size) &&
      LookupAccountSidW(nullptr, user->User.Sid, name, &nameChars, domain, &domainChars, &use))
    LogStep(L"Benutzer: %ls%ls%ls", domain, domain[0] ? L"\\" : L"", name);
  else
    LogStep(L"Benutzer: unbekannt");
}

// The local time with its distance from UTC, which a log read elsewhere needs.
void LogStartTime() {
  FILETIME utc, local;
  GetSystemTimeAsFileTime(&utc);
  FileTimeToLocalFileTime(&utc, &local);
  ULARGE_INTEGER u = {{utc.dwLowDateTime, utc.dwHighDateTime}};
  ULARGE_INTEGER l = {{local.dwLowDateTime, local.dwHighDateTime}};
  long long minutes = (static_cast<long long>(l.QuadPart) - static_cast<long long>(u.QuadPart)) /
                      600000000LL;
  SYSTEMTIME now;
  FileTimeToSystemTime(&local, &now);
  long long distance = minutes < 0 ? -minutes : minutes;
  LogStep(L"Datum und Zeit: %04u-%02u-%02u %02u:%02u:%02u Ortszeit (UTC%lc%02d:%02d)", now.wYear,
          now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, minutes < 0 ? L'-' : L'+',
          static_cast<int>(distance / 60), static_cast<int>(distance % 60));
}

}  // namespace

std::string FormatStepLine(const SYSTEMTIME& time, const wchar_t* text) {
  wchar_t stamp[32];
  swprintf(stamp, 32, L"%04u-%02u-%02u %02u:%02u:%02u  ", time.wYear, time.wMonth, time.wDay,
           time.wHour, time.wMinute, time.wSecond);
  std::wstring line = stamp;
  for (const wchar_t* c = text; *c; ++c) {
    if (!IsLineBreak(*c)) {
      line += *c;
    } else if (!IsLineBreak(c[1])) {
      line += L' ';
    }
  }
  line += L"\r\n";
  return ToUtf8(line);
}

StepLog::~StepLog() {
  if (active != this) return;
  SetStepLogWriter(nullptr);
  active = nullptr;
}

FileStatus StepLog::Open(const wchar_t* path) {
  if (!path || path[0] == L'\0' || active) return FileStatus::Failed;
  std::wstring full = FullPath(path);
  size_t slash = full.find_last_of(L'\\');
  if (slash == std::wstring::npos || slash + 1 >= full.size()) return FileStatus::Failed;
  std::wstring name = full.substr(slash + 1);
  GuardedFolder folder;
  FileStatus status = GuardedFolder::OpenResolved(full.substr(0, slash + 1).c_str(), folder);
  if (status != FileStatus::Done) return status;
  status = OpenAppendFile(folder, name.c_str(), file_);
  if (status != FileStatus::Done) return status;
  // The folder's guard is not kept: it would stop an uninstaller from removing the folder.
  path_ = folder.PathOf(name.c_str());
  active = this;
  SetStepLogWriter(Write);
  return FileStatus::Done;
}

void StepLog::Write(const wchar_t* line) {
  if (!active || !active->file_) return;
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::string bytes = FormatStepLine(now, line);
  DWORD written = 0;
  // One write per line: appended whole, also beside another program writing the file.
  WriteFile(active->file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
            nullptr);
}

void LogRunHeader(const wchar_t* program, const wchar_t* version, const wchar_t* commandLine) {
  LogStep(L"======== %ls %ls ========", program, version);
  wchar_t file[kLongPath];
  DWORD n = GetModuleFileNameW(nullptr, file, kLongPath);
  if (n == 0 || n >= static_cast<DWORD>(kLongPath)) file[0] = L'\0';
  LogStep(L"Programmdatei: %ls", file);
  LogStep(L"Befehlszeile: %ls", commandLine);
  LogWindowsVersion();
  LogAccount();
  LogStartTime();
}
