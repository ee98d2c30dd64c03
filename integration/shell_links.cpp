// Writing the viewer's shell links through the ShellLink class.
#include "integration/shell_links.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>

#include "base/folder_tree.h"
#include "base/handles.h"
#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "integration/install_paths.h"

namespace {

constexpr int kThumbnailsIconIndex = 7;
constexpr wchar_t kThumbnailsArguments[] = L"/thumbs";
constexpr wchar_t kOldViewerLinkFormat[] = L"%lsLumagrove 64 %ls.lnk";
constexpr const wchar_t* kOldViewerVersions[] = {L"4.57", L"4.56"};
constexpr wchar_t kDesktopViewerDescription[] = L"Lumagrove 64 - Bildbetrachter";
constexpr wchar_t kDesktopThumbnailsDescription[] = L"Lumagrove - Thumbnails";

struct ItemIdList {
  LPITEMIDLIST pidl = nullptr;
  ~ItemIdList() {
    if (pidl) ILFree(pidl);
  }
};

// folder + name when it fits a MAX_PATH buffer.
bool JoinPath(wchar_t* path, const wchar_t* folder, const wchar_t* name) {
  CopyText(path, kMaxPath, folder);
  return AppendText(path, kMaxPath, name);
}

void CreateFolderLink(const wchar_t* folder, const wchar_t* name, const wchar_t* target,
                      const wchar_t* arguments, const wchar_t* iconPath, int iconIndex,
                      const wchar_t* description) {
  wchar_t linkPath[kMaxPath];
  if (!JoinPath(linkPath, folder, name)) return;
  CreateShellLink(linkPath, target, arguments, iconPath, iconIndex, description);
}

void RemoveOldViewerLinks(const wchar_t* groupFolder) {
  for (const wchar_t* version : kOldViewerVersions) {
    wchar_t path[kMaxPath];
    if (TextLength(groupFolder) + TextLength(version) + FormatOverhead(kOldViewerLinkFormat) >=
        kMaxPath)
      continue;
    swprintf(path, kMaxPath, kOldViewerLinkFormat, groupFolder, version);
    DeleteFileW(path);
  }
}

}  // namespace

void GetSpecialFolder(int csidl, wchar_t* folder) {
  folder[0] = L'\0';
  ItemIdList list;
  bool found = SUCCEEDED(SHGetSpecialFolderLocation(GetActiveWindow(), csidl, &list.pidl)) &&
               list.pidl && SHGetPathFromIDListW(list.pidl, folder);
  if (!found) {
    UINT len = GetWindowsDirectoryW(folder, kMaxPath);
    if (len == 0 || len >= kMaxPath) folder[0] = L'\0';
  }
  AppendBackslash(folder, kMaxPath);
}

bool CreateShellLink(const wchar_t* linkPath, const wchar_t* target, const wchar_t* arguments,
                     const wchar_t* iconPath, int iconIndex, const wchar_t* description) {
  ComInit com;
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.put_void())))
    return false;
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return false;
  if (iconPath) link->SetIconLocation(iconPath, iconIndex);
  link->SetPath(target);
  if (arguments) link->SetArguments(arguments);
  if (description) link->SetDescription(description);
  return SUCCEEDED(file->Save(linkPath, TRUE));
}

void GetDesktopFolder(int32_t allUsers, wchar_t* folder) {
  GetSpecialFolder(allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOP, folder);
}

void GetProgramsFolder(int32_t allUsers, wchar_t* folder) {
  GetSpecialFolder(allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, folder);
}

void CreateProgramGroup(const wchar_t* installFolder, int32_t allUsers) {
  wchar_t groupFolder[kLongPath];
  GetProgramsFolder(allUsers, groupFolder);
  AppendText(groupFolder, kLongPath, kProgramGroupName);
  CreateFolderTree(groupFolder);
  // Links need room for the folder and their names; a longer group path gets none.
  if (TextLength(groupFolder) >= kMaxPath) return;

  wchar_t viewerExePath[kMaxPath];
  CopyText(viewerExePath, kMaxPath, installFolder);
  if (!AppendText(viewerExePath, kMaxPath, kViewerExeName)) return;
  wchar_t viewerLinkName[64];
  swprintf(viewerLinkName, 64, kGroupViewerLinkFormat, kVersionMajor, kVersionMinor);
  CreateFolderLink(groupFolder, viewerLinkName, viewerExePath, nullptr, nullptr, 0, nullptr);
  RemoveOldViewerLinks(groupFolder);

  bool windows8OrLater = IsWindowsVersionAtLeast(2);
  for (const GroupLink& entry : kGroupLinks) {
    if (entry.onlyBeforeWindows8 && windows8OrLater) continue;
    wchar_t target[kMaxPath];
    if (!entry.targetFormat)
      CopyText(target, kMaxPath, viewerExePath);
    else if (!FormatPath(target, entry.targetFormat, installFolder))
      continue;
    if (entry.thumbnails)
      CreateFolderLink(groupFolder, entry.fileName, target, kThumbnailsArguments, viewerExePath,
                       kThumbnailsIconIndex, nullptr);
    else
      CreateFolderLink(groupFolder, entry.fileName, target, nullptr, nullptr, 0, nullptr);
  }
}

void CreateDesktopViewerLink(const wchar_t* viewerExePath, int32_t allUsers) {
  wchar_t folder[kMaxPath];
  GetDesktopFolder(allUsers, folder);
  CreateFolderLink(folder, kDesktopViewerLink, viewerExePath, nullptr, nullptr, 0,
                   kDesktopViewerDescription);
}

void CreateDesktopThumbnailsLink(const wchar_t* viewerExePath, int32_t allUsers) {
  wchar_t folder[kMaxPath];
  GetDesktopFolder(allUsers, folder);
  CreateFolderLink(folder, kDesktopThumbnailsLink, viewerExePath, kThumbnailsArguments,
                   viewerExePath, kThumbnailsIconIndex, kDesktopThumbnailsDescription);
}
