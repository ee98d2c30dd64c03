// Writing the viewer's shell links: made in memory by the ShellLink class and placed in
// guarded folders, since the start menu and the desktop are the user's to change.
#include "integration/shell_links.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>
#include <string>

#include "base/handles.h"
#include "base/path_rules.h"
#include "base/run_log.h"
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
constexpr ULONGLONG kMaxLinkBytes = 64 * 1024;

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

// "<path>: <reason>" in the problem log; what (a format with one %ls for the path and one
// for the reason) says it in the full log, with the system's text of error.
void LogProblem(const wchar_t* what, const wchar_t* path, FileStatus status, DWORD error) {
  std::wstring text = path;
  if (text.size() > 3 && text.back() == L'\\') text.pop_back();
  LogStep(what, text.c_str(), FileStatusReason(status, error).c_str());
  text += L": ";
  text += FileStatusText(status);
  WriteProblemLog(text.c_str());
}

// The whole stream, from its start to where the writer left it.
bool ReadStream(IStream* stream, std::string& bytes) {
  LARGE_INTEGER zero = {};
  ULARGE_INTEGER end = {};
  if (FAILED(stream->Seek(zero, STREAM_SEEK_CUR, &end)) || end.QuadPart == 0 ||
      end.QuadPart > kMaxLinkBytes || FAILED(stream->Seek(zero, STREAM_SEEK_SET, nullptr)))
    return false;
  bytes.resize(static_cast<size_t>(end.QuadPart));
  ULONG got = 0;
  if (FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got)) ||
      got != bytes.size()) {
    bytes.clear();
    return false;
  }
  return true;
}

// One link of a folder; folderAsNamed is the folder's path before any redirection, which
// the 260-character rule counts. A link whose path would not fit is skipped.
void WriteFolderLink(const GuardedFolder& folder, const wchar_t* folderAsNamed,
                     const wchar_t* name, const ShellLinkFields& fields) {
  wchar_t linkPath[kMaxPath];
  if (!JoinPath(linkPath, folderAsNamed, name)) {
    LogStep(L"Verknüpfung übersprungen (Pfad zu lang): %ls%ls", folderAsNamed, name);
    return;
  }
  FileStatus status = WriteShellLink(folder, name, fields);
  if (status == FileStatus::Done)
    LogStep(L"Verknüpfung geschrieben: %ls", linkPath);
  else
    LogProblem(L"Verknüpfung nicht geschrieben: %ls (%ls)", linkPath, status, GetLastError());
}

void RemoveOldViewerLinks(const GuardedFolder& group, const wchar_t* groupFolder) {
  for (const wchar_t* version : kOldViewerVersions) {
    wchar_t path[kMaxPath];
    if (TextLength(groupFolder) + TextLength(version) + FormatOverhead(kOldViewerLinkFormat) >=
        kMaxPath)
      continue;
    swprintf(path, kMaxPath, kOldViewerLinkFormat, groupFolder, version);
    FileStatus status = DeleteGuardedFile(group, path + TextLength(groupFolder));
    if (status == FileStatus::Done)
      LogStep(L"Alte Verknüpfung entfernt: %ls", path);
    else if (status != FileStatus::Missing)
      LogProblem(L"Alte Verknüpfung nicht entfernt: %ls (%ls)", path, status, GetLastError());
  }
}

void WriteDesktopLink(int32_t allUsers, const wchar_t* name, const ShellLinkFields& fields) {
  wchar_t folder[kMaxPath];
  GetDesktopFolder(allUsers, folder);
  GuardedFolder desktop;
  FileStatus status = GuardedFolder::OpenResolved(folder, desktop);
  if (status != FileStatus::Done) {
    LogProblem(L"Desktop nicht verwendbar: %ls (%ls)", folder, status, GetLastError());
    return;
  }
  WriteFolderLink(desktop, folder, name, fields);
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

bool ShellLinkBytes(const ShellLinkFields& fields, std::string& bytes) {
  bytes.clear();
  ComInit com;
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              link.put_void())))
    return false;
  ComPtr<IPersistStream> persist;
  if (FAILED(link->QueryInterface(IID_IPersistStream, persist.put_void()))) return false;
  if (fields.iconPath) link->SetIconLocation(fields.iconPath, fields.iconIndex);
  link->SetPath(fields.target);
  if (fields.arguments) link->SetArguments(fields.arguments);
  if (fields.description) link->SetDescription(fields.description);
  ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, reinterpret_cast<IStream**>(stream.put_void()))) ||
      FAILED(persist->Save(stream.get(), TRUE)))
    return false;
  return ReadStream(stream.get(), bytes);
}

FileStatus WriteShellLink(const GuardedFolder& folder, const wchar_t* name,
                          const ShellLinkFields& fields) {
  std::string bytes;
  if (!ShellLinkBytes(fields, bytes)) return FileStatus::Failed;
  return WriteWholeFile(folder, name, bytes.data(), static_cast<DWORD>(bytes.size()));
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
  AppendBackslash(groupFolder, kLongPath);
  // Links need room for the folder and their names; a longer group path gets none.
  if (TextLength(groupFolder) >= kMaxPath) {
    LogStep(L"Startmenügruppe übersprungen (Pfad zu lang): %ls", groupFolder);
    return;
  }
  // The Programs folder above may be redirected; the group itself must not be a link.
  GuardedFolder group;
  FileStatus status = GuardedFolder::OpenTop(groupFolder, true, group);
  if (status != FileStatus::Done) {
    LogProblem(L"Startmenügruppe nicht verwendet: %ls (%ls)", groupFolder, status, GetLastError());
    return;
  }
  LogStep(group.Created() ? L"Startmenügruppe erstellt: %ls" : L"Startmenügruppe vorhanden: %ls",
          ShownFolder(groupFolder).c_str());

  wchar_t viewerExePath[kMaxPath];
  CopyText(viewerExePath, kMaxPath, installFolder);
  if (!AppendText(viewerExePath, kMaxPath, kViewerExeName)) return;
  wchar_t viewerLinkName[64];
  swprintf(viewerLinkName, 64, kGroupViewerLinkFormat, kVersionMajor, kVersionMinor);
  WriteFolderLink(group, groupFolder, viewerLinkName, {viewerExePath});
  RemoveOldViewerLinks(group, groupFolder);

  bool windows8OrLater = IsWindowsVersionAtLeast(2);
  for (const GroupLink& entry : kGroupLinks) {
    if (entry.onlyBeforeWindows8 && windows8OrLater) {
      LogStep(L"Verknüpfung ausgelassen (ab Windows 8 steht die Deinstallation in den "
              L"Einstellungen): %ls%ls",
              groupFolder, entry.fileName);
      continue;
    }
    wchar_t target[kMaxPath];
    if (!entry.targetFormat) {
      CopyText(target, kMaxPath, viewerExePath);
    } else if (!FormatPath(target, entry.targetFormat, installFolder)) {
      LogStep(L"Verknüpfung übersprungen (Ziel zu lang): %ls%ls", groupFolder, entry.fileName);
      continue;
    }
    if (entry.thumbnails)
      WriteFolderLink(group, groupFolder, entry.fileName,
                      {target, kThumbnailsArguments, viewerExePath, kThumbnailsIconIndex});
    else
      WriteFolderLink(group, groupFolder, entry.fileName, {target});
  }
}

void CreateDesktopViewerLink(const wchar_t* viewerExePath, int32_t allUsers) {
  WriteDesktopLink(allUsers, kDesktopViewerLink,
                   {viewerExePath, nullptr, nullptr, 0, kDesktopViewerDescription});
}

void CreateDesktopThumbnailsLink(const wchar_t* viewerExePath, int32_t allUsers) {
  WriteDesktopLink(allUsers, kDesktopThumbnailsLink,
                   {viewerExePath, kThumbnailsArguments, viewerExePath, kThumbnailsIconIndex,
                    kDesktopThumbnailsDescription});
}
