// Read-back and clean-up helpers of the system integration tests.
#include "integration_support.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <algorithm>

#include "integration/file_types.h"

namespace itest {

namespace {

constexpr const wchar_t* kMachineKeys[] = {
    L"SOFTWARE\\Classes\\Lumagrove",
    L"SOFTWARE\\Classes\\Applications\\lg_show64.exe",
    L"SOFTWARE\\Classes\\Directory\\shell\\Durchsuchen mit &Lumagrove",
    L"SOFTWARE\\Classes\\Drive\\shell\\Durchsuchen mit &Lumagrove",
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumagrove64",
    L"SOFTWARE\\Lumagrove",
    L"SOFTWARE\\RegisteredApplications",  // Wine has none; tests make it when they need it
};
constexpr const wchar_t* kUserKeys[] = {
    L"Software\\Classes\\Applications\\lg_show64.exe",
    L"SOFTWARE\\Classes\\AppXvhc4p7vz4b485xfp46hhk3fq3grkdgjg",
    L"SOFTWARE\\Classes\\AppXk0g4vb8gvt7b93tg50ybcy892pge6jmt",
    L"SOFTWARE\\Classes\\AppX43hnxtbyyps62jhe9sqpdzxn1790zetc",
    L"SOFTWARE\\Classes\\AppX9rkaq77s0jzh1tyccadx9ghba15r6t3h",
    L"SOFTWARE\\Classes\\AppX6eg8h5sxqq90pv53845wmnbewywdqq5h",
};
constexpr const wchar_t* kDesktopLinks[] = {L"Lumagrove 64.lnk", L"Lumagrove 64 Thumbnails.lnk"};

void RemoveFolder(const std::wstring& folder) {
  for (const std::wstring& name : LinkFiles(folder)) DeleteFileW((folder + name).c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

RegValue ReadValue(HKEY root, const std::wstring& key, const wchar_t* name) {
  RegValue value;
  HKEY k;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) return value;
  DWORD bytes = 0;
  if (RegQueryValueExW(k, name, nullptr, &value.type, nullptr, &bytes) == ERROR_SUCCESS) {
    value.data.resize(bytes);
    value.found = RegQueryValueExW(k, name, nullptr, &value.type, value.data.data(), &bytes) ==
                  ERROR_SUCCESS;
    value.data.resize(bytes);
  }
  RegCloseKey(k);
  return value;
}

bool KeyExists(HKEY root, const std::wstring& key) {
  HKEY k;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& key) {
  std::vector<std::wstring> names;
  HKEY k;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD chars = 16384;
    if (RegEnumValueW(k, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.emplace_back(name, chars);
  }
  RegCloseKey(k);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::wstring> SubkeyNames(HKEY root, const std::wstring& key) {
  std::vector<std::wstring> names;
  HKEY k;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD chars = 256;
    if (RegEnumKeyExW(k, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.emplace_back(name, chars);
  }
  RegCloseKey(k);
  return names;
}

void CreateEmptyKey(HKEY root, const std::wstring& key) {
  HKEY k;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) ==
      ERROR_SUCCESS)
    RegCloseKey(k);
}

::testing::AssertionResult IsString(HKEY root, const std::wstring& key, const wchar_t* name,
                                    const std::wstring& expected) {
  RegValue value = ReadValue(root, key, name);
  std::wstring where = key + L" : " + (name ? name : L"(default)");
  if (!value.found) return ::testing::AssertionFailure() << "missing " << where;
  if (value.type != REG_SZ)
    return ::testing::AssertionFailure() << where << " has type " << value.type;
  if (value.data.size() != (expected.size() + 1) * sizeof(wchar_t))
    return ::testing::AssertionFailure() << where << " has " << value.data.size() << " bytes";
  std::wstring text(reinterpret_cast<const wchar_t*>(value.data.data()), expected.size());
  if (text != expected || reinterpret_cast<const wchar_t*>(value.data.data())[expected.size()])
    return ::testing::AssertionFailure() << where << " is \"" << text << "\"";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult IsDword(HKEY root, const std::wstring& key, const wchar_t* name,
                                   DWORD expected) {
  RegValue value = ReadValue(root, key, name);
  std::wstring where = key + L" : " + name;
  if (!value.found) return ::testing::AssertionFailure() << "missing " << where;
  if (value.type != REG_DWORD || value.data.size() != 4)
    return ::testing::AssertionFailure() << where << " has type " << value.type << ", "
                                         << value.data.size() << " bytes";
  DWORD number;
  memcpy(&number, value.data.data(), 4);
  if (number != expected) return ::testing::AssertionFailure() << where << " is " << number;
  return ::testing::AssertionSuccess();
}

LinkInfo ReadLink(const std::wstring& path) {
  LinkInfo info;
  CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
        wchar_t text[MAX_PATH];
        info.loaded = true;
        text[0] = L'\0';
        link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
        info.target = text;
        text[0] = L'\0';
        link->GetArguments(text, MAX_PATH);
        info.arguments = text;
        text[0] = L'\0';
        link->GetIconLocation(text, MAX_PATH, &info.iconIndex);
        info.icon = text;
        text[0] = L'\0';
        link->GetDescription(text, MAX_PATH);
        info.description = text;
      }
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return info;
}

std::vector<std::wstring> LinkFiles(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"*.lnk").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.emplace_back(data.cFileName);
  while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  std::wstring folder = path;
  if (folder.empty() || folder.back() != L'\\') folder += L'\\';
  return folder;
}

void RemoveIntegration() {
  for (const wchar_t* key : kMachineKeys) SHDeleteKeyW(HKEY_LOCAL_MACHINE, key);
  for (const wchar_t* key : kUserKeys) SHDeleteKeyW(HKEY_CURRENT_USER, key);
  for (const FileTypeRow& row : FileTypeTable) {
    for (const FileExtension& e : row.extensions) {
      if (!e.extension) break;
      std::wstring ext = e.extension;
      SHDeleteKeyW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\Classes\\." + ext).c_str());
      SHDeleteKeyW(HKEY_LOCAL_MACHINE,
                   (L"SOFTWARE\\Classes\\Lumagrove." + std::wstring(e.progIdStem)).c_str());
      SHDeleteKeyW(HKEY_CURRENT_USER,
                   (L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\." + ext)
                       .c_str());
    }
  }
  for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
    RemoveFolder(ShellFolder(csidl) + L"Lumagrove\\");
  for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY})
    for (const wchar_t* name : kDesktopLinks) DeleteFileW((ShellFolder(csidl) + name).c_str());
}

}  // namespace itest
