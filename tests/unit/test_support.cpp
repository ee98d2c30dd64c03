#include "test_support.h"

#include <shlwapi.h>

#include <algorithm>
#include <vector>

namespace test {

namespace {

// The folder the test binary started in: tests change the current folder, scratch
// folders must not follow it.
const std::wstring& StartFolder() {
  static const std::wstring folder = [] {
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    return std::wstring(cwd);
  }();
  return folder;
}
const bool kStartFolderTaken = !StartFolder().empty();

}  // namespace

ScratchFolder::ScratchFolder(const std::wstring& name)
    : path_(StartFolder() + L"\\scratch\\" + name + L"\\") {
  CreateDirectoryW((StartFolder() + L"\\scratch").c_str(), nullptr);
  Clear();
}

ScratchFolder::~ScratchFolder() {
  // A folder that is still current cannot go; step out of it first.
  SetCurrentDirectoryW(StartFolder().c_str());
  RemoveTree(path_);
}

void ScratchFolder::Clear() {
  RemoveTree(path_);
  CreateDirectoryW(path_.c_str(), nullptr);
}

CurrentFolderGuard::CurrentFolderGuard() { GetCurrentDirectoryW(MAX_PATH, saved_); }
CurrentFolderGuard::~CurrentFolderGuard() { SetCurrentDirectoryW(saved_); }

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(h);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
}

int CountFiles(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return n;
}

std::vector<std::wstring> FolderNames(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring LinkRoot() {
  wchar_t root[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableW(L"LG_LINK_ROOT", root, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(root) + L"\\" : L"";
}

std::wstring FixturePath(const std::wstring& name) {
  wchar_t unixPath[MAX_PATH] = {};
  GetEnvironmentVariableW(L"LG_FIXTURES", unixPath, MAX_PATH);
  std::wstring path = std::wstring(L"Z:") + unixPath + L"/" + name;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::wstring BuiltFilePath(const wchar_t* variable) {
  wchar_t unixPath[MAX_PATH] = {};
  if (GetEnvironmentVariableW(variable, unixPath, MAX_PATH) == 0) return L"";
  std::wstring path = std::wstring(L"Z:") + unixPath;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to) {
  return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool FileExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void RemoveTree(const std::wstring& path) {
  std::wstring base = path;
  if (!base.empty() && base.back() == L'\\') base.pop_back();
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((base + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = base + L"\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(base.c_str());
}

void SetRegistryString(HKEY root, const std::wstring& key, const wchar_t* name,
                       const std::wstring& value) {
  HKEY k;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) !=
      ERROR_SUCCESS)
    return;
  RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
}

bool ReadRegistryString(HKEY root, const std::wstring& key, const wchar_t* name,
                        std::wstring& value) {
  HKEY k;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return false;
  DWORD type = 0, bytes = 0;
  bool ok = RegQueryValueExW(k, name, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS;
  std::vector<wchar_t> data(bytes / 2 + 1, L'\0');
  ok = ok && RegQueryValueExW(k, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                              &bytes) == ERROR_SUCCESS;
  RegCloseKey(k);
  if (ok) value = data.data();
  return ok;
}

void DeleteRegistryTree(HKEY root, const std::wstring& key) { SHDeleteKeyW(root, key.c_str()); }

}  // namespace test
