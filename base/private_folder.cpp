#include "base/private_folder.h"

#include <windows.h>
#include <ntsecapi.h>

#include "base/folder_security.h"

namespace {

constexpr int kAttempts = 8;

std::wstring RandomName() {
  unsigned char bytes[8];
  if (!RtlGenRandom(bytes, sizeof(bytes))) return L"";
  static const wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring name = L"lg-";
  for (unsigned char b : bytes) {
    name += kDigits[b >> 4];
    name += kDigits[b & 15];
  }
  return name;
}

// The files directly in the folder (the program puts no folders there).
void DeleteContents(const GuardedFolder& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(folder.PathOf(L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      DeleteGuardedFile(folder, data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

bool IsElevated() {
  UniqueHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return true;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  if (!GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof(elevation), &size))
    return true;  // unknown counts as elevated: the stricter answer
  return elevation.TokenIsElevated != 0;
}

}  // namespace

FileStatus PrivateFolder::Create() {
  wchar_t windows[MAX_PATH];
  UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return FileStatus::Failed;
  FolderSecurity security(kPrivateFolderSddl);
  if (!security.get()) return FileStatus::Failed;
  return CreateIn(std::wstring(windows) + L"\\Temp\\", security.get());
}

FileStatus PrivateFolder::CreateForUser() {
  if (IsElevated()) return FileStatus::Failed;
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return FileStatus::Failed;
  return CreateIn(temp, nullptr);
}

FileStatus PrivateFolder::CreateIn(const std::wstring& parent, const SECURITY_ATTRIBUTES* security) {
  folder_ = GuardedFolder();
  std::wstring temp = parent;
  if (!temp.empty() && temp.back() != L'\\') temp += L'\\';
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::wstring name = RandomName();
    if (name.empty()) return FileStatus::Failed;
    GuardedFolder folder;
    FileStatus status = GuardedFolder::OpenTop((temp + name).c_str(), true, folder, security);
    if (status != FileStatus::Done) return status;
    if (!folder.Created()) continue;  // somebody's folder of that name: not ours to use
    folder_ = std::move(folder);
    return FileStatus::Done;
  }
  return FileStatus::Failed;
}

FileStatus PrivateFolder::Remove() {
  if (!folder_.IsOpen()) return FileStatus::Missing;
  DeleteContents(folder_);
  return RemoveGuardedFolder(folder_);
}

PrivateFolder::~PrivateFolder() {
  if (!keep_) Remove();
}
