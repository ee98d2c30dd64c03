#include "base/safe_files.h"

#include <ntsecapi.h>

#include <cwchar>
#include <vector>

#include "base/path_rules.h"
#include "base/system_helpers.h"

namespace {

constexpr DWORD kNoFollow = FILE_FLAG_OPEN_REPARSE_POINT;
constexpr int kScratchAttempts = 8;

// The form of a full path that neither MAX_PATH nor the Win32 name rules touch.
std::wstring ApiPath(const std::wstring& path) {
  if (path.compare(0, 4, L"\\\\?\\") == 0) return path;
  if (path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + path.substr(2);
  return L"\\\\?\\" + path;
}

// The same path in the object-manager form that a rename by handle takes.
std::wstring NtPath(const std::wstring& path) {
  if (path.compare(0, 2, L"\\\\") == 0) return L"\\??\\UNC\\" + path.substr(2);
  return L"\\??\\" + path;
}

std::wstring WithBackslash(std::wstring path) {
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  return path;
}

// Windows drops trailing dots and blanks of a name; the name we expect to see does too.
std::wstring AsStored(const std::wstring& name) {
  size_t n = name.size();
  while (n > 0 && (name[n - 1] == L'.' || name[n - 1] == L' ')) --n;
  return n == 0 ? name : name.substr(0, n);
}

std::wstring FinalPathOf(HANDLE handle) {
  std::vector<wchar_t> buffer(512);
  for (int attempt = 0; attempt < 2; ++attempt) {
    DWORD n = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return L"";
    if (n < buffer.size()) return PlainFinalPath(buffer.data());
    buffer.resize(n + 1);
  }
  return L"";
}

bool QueryFile(HANDLE handle, BY_HANDLE_FILE_INFORMATION& info) {
  return GetFileInformationByHandle(handle, &info) != FALSE;
}

// A link shows through the handle on Windows; under a compatibility layer that follows
// links it shows only in the attributes read by path.
bool LooksLikeLink(const std::wstring& apiPath, const BY_HANDLE_FILE_INFORMATION& info) {
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
  DWORD byPath = GetFileAttributesW(apiPath.c_str());
  return byPath != INVALID_FILE_ATTRIBUTES && (byPath & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Checks an opened file: not a link, not a folder, where its path says; hard links
// refused when asked (content that could belong to another file).
FileStatus CheckOpenedFile(HANDLE file, const std::wstring& apiPath, const GuardedFolder& folder,
                           const wchar_t* name, bool refuseHardLinks) {
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!QueryFile(file, info)) return FileStatus::Failed;
  if (LooksLikeLink(apiPath, info)) return FileStatus::Link;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return FileStatus::Failed;
  if (!IsPathOf(FinalPathOf(file), folder.FinalPath(), AsStored(name))) return FileStatus::Outside;
  if (refuseHardLinks && info.nNumberOfLinks > 1) return FileStatus::Link;
  return FileStatus::Done;
}

bool RandomHex(wchar_t* text /* 17 */) {
  unsigned char bytes[8];
  if (!RtlGenRandom(bytes, sizeof(bytes))) return false;
  static const wchar_t kDigits[] = L"0123456789abcdef";
  for (int i = 0; i < 8; ++i) {
    text[2 * i] = kDigits[bytes[i] >> 4];
    text[2 * i + 1] = kDigits[bytes[i] & 15];
  }
  text[16] = L'\0';
  return true;
}

// Every level of a missing folder's parents, made without guarding (above the top of a
// guarded tree links are allowed anyway).
void MakeParents(const std::wstring& full) {
  for (size_t i = full.find(L'\\', 3); i != std::wstring::npos; i = full.find(L'\\', i + 1)) {
    std::wstring level = full.substr(0, i);
    if (level.size() > 2) CreateDirectoryW(ApiPath(level).c_str(), nullptr);
  }
}

// Opens a folder without following links: pinned (delete not shared, so it cannot be
// renamed or removed while held) when it can be, else shared. The handle asks for no
// delete right itself, so listing the folder stays possible for everyone.
UniqueHandle OpenFolderHandle(const std::wstring& apiPath, DWORD extraAccess = 0,
                              bool pin = true) {
  const DWORD access = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES |
                       READ_CONTROL | SYNCHRONIZE | extraAccess;
  UniqueHandle handle;
  for (DWORD share : {FILE_SHARE_READ | FILE_SHARE_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}) {
    if (!pin && !(share & FILE_SHARE_DELETE)) continue;
    handle.reset(CreateFileW(apiPath.c_str(), access, share, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | kNoFollow, nullptr));
    if (handle || GetLastError() != ERROR_SHARING_VIOLATION) break;
  }
  return handle;
}

// The final path of an ordinary (unguarded) folder: the parent of a tree's top.
bool FinalPathOfFolder(const std::wstring& path, std::wstring& finalPath) {
  UniqueHandle handle(CreateFileW(ApiPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return false;
  finalPath = FinalPathOf(handle.get());
  return !finalPath.empty();
}

// Splits a full path into its parent and its last name; false for a drive or share root.
bool SplitLast(const std::wstring& full, std::wstring& parent, std::wstring& name) {
  std::wstring path = full;
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  size_t slash = path.rfind(L'\\');
  if (slash == std::wstring::npos || slash + 1 >= path.size()) return false;
  parent = path.substr(0, slash);
  name = path.substr(slash + 1);
  if (parent.size() == 2 && parent[1] == L':') parent += L'\\';  // "C:" means the current folder
  return parent.size() >= 3 || parent.compare(0, 2, L"\\\\") == 0;
}

// Renames an open file to a full path by its handle, replacing what is there when asked.
bool RenameByHandle(HANDLE file, const std::wstring& path, bool replace) {
  std::wstring target = NtPath(path);
  size_t bytes = sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t);
  std::vector<unsigned char> buffer(bytes, 0);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = replace ? TRUE : FALSE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
  wmemcpy(rename->FileName, target.c_str(), target.size());
  return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(bytes)) !=
         FALSE;
}

}  // namespace

std::wstring FullPath(const wchar_t* path) {
  DWORD needed = GetFullPathNameW(path, 0, nullptr, nullptr);
  if (needed == 0) return L"";
  std::wstring full(needed, L'\0');
  DWORD got = GetFullPathNameW(path, needed, full.data(), nullptr);
  if (got == 0 || got >= needed) return L"";
  full.resize(got);
  return full;
}

const wchar_t* FileStatusText(FileStatus status) {
  switch (status) {
    case FileStatus::Done: return L"erledigt";
    case FileStatus::Missing: return L"nicht vorhanden";
    case FileStatus::Link: return L"ist ein Link oder eine Verzeichnisverbindung und wurde nicht verwendet";
    case FileStatus::Outside: return L"führt an einen anderen Ort und wurde nicht verwendet";
    case FileStatus::InUse: return L"wird von einem anderen Programm verwendet";
    case FileStatus::Failed: break;
  }
  return L"konnte nicht bearbeitet werden";
}

std::wstring FileStatusReason(FileStatus status, DWORD error) {
  std::wstring reason = FileStatusText(status);
  if (error == 0 || status == FileStatus::Link || status == FileStatus::Outside) return reason;
  wchar_t text[600];
  FormatWin32Error(error, text, 600);
  return reason + L": " + text;
}

FileStatus StatusFromLastError() {
  switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return FileStatus::Missing;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return FileStatus::InUse;
    default: return FileStatus::Failed;
  }
}

FileStatus GuardedFolder::OpenChecked(const std::wstring& path, const std::wstring& expectedFinal,
                                      GuardedFolder& out) {
  std::wstring apiPath = ApiPath(path);
  UniqueHandle handle = OpenFolderHandle(apiPath);
  if (!handle) return StatusFromLastError();
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!QueryFile(handle.get(), info)) return FileStatus::Failed;
  if (LooksLikeLink(apiPath, info)) return FileStatus::Link;
  if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return FileStatus::Failed;
  std::wstring finalPath = FinalPathOf(handle.get());
  if (!IsSamePath(finalPath, expectedFinal)) return FileStatus::Outside;
  out.handle_ = std::move(handle);
  out.path_ = WithBackslash(path);
  out.final_ = finalPath;
  return FileStatus::Done;
}

FileStatus GuardedFolder::OpenTop(const wchar_t* path, bool create, GuardedFolder& out,
                                  const SECURITY_ATTRIBUTES* security) {
  out = GuardedFolder();
  std::wstring full = FullPath(path);
  if (full.empty()) return FileStatus::Failed;
  std::wstring parent, name;
  if (!SplitLast(full, parent, name)) {
    // A drive or share root cannot be a link; it is what it resolves to.
    std::wstring rootFinal;
    if (!FinalPathOfFolder(full, rootFinal)) return StatusFromLastError();
    return OpenChecked(full, rootFinal, out);
  }
  full = WithBackslash(parent) + name;
  bool created = false;
  if (create) {
    if (GetFileAttributesW(ApiPath(parent).c_str()) == INVALID_FILE_ATTRIBUTES) MakeParents(full);
    created = CreateDirectoryW(ApiPath(full).c_str(),
                               const_cast<SECURITY_ATTRIBUTES*>(security)) != FALSE;
  }
  std::wstring parentFinal;
  if (!FinalPathOfFolder(parent, parentFinal)) return StatusFromLastError();
  FileStatus status = OpenChecked(full, WithBackslash(parentFinal) + AsStored(name), out);
  out.created_ = created && status == FileStatus::Done;
  return status;
}

FileStatus GuardedFolder::OpenResolved(const wchar_t* path, GuardedFolder& out) {
  out = GuardedFolder();
  std::wstring full = FullPath(path);
  std::wstring finalPath;
  if (full.empty() || !FinalPathOfFolder(full, finalPath)) return StatusFromLastError();
  // From here on the resolved path is the one opened: it must not be a link in turn.
  return OpenChecked(finalPath, finalPath, out);
}

FileStatus GuardedFolder::OpenChild(const wchar_t* relative, bool create, GuardedFolder& out) const {
  out = GuardedFolder();
  if (!IsOpen() || !relative || relative[0] == L'\0') return FileStatus::Failed;
  std::wstring path = path_;
  std::wstring finalPath = final_;
  GuardedFolder level;
  bool created = false;
  for (const wchar_t* part = relative; *part;) {
    const wchar_t* end = part;
    while (*end && *end != L'\\' && *end != L'/') ++end;
    std::wstring name(part, end);
    part = *end ? end + 1 : end;
    if (name.empty()) continue;
    if (!IsPlainFileName(name.c_str())) return FileStatus::Failed;
    path += name;
    if (create) created = CreateDirectoryW(ApiPath(path).c_str(), nullptr) != FALSE;
    FileStatus status = OpenChecked(path, finalPath + L"\\" + AsStored(name), level);
    if (status != FileStatus::Done) return status;
    path = level.path_;
    finalPath = level.final_;
  }
  if (!level.IsOpen()) return FileStatus::Failed;
  level.created_ = created;
  out = std::move(level);
  return FileStatus::Done;
}

bool DeleteOpenFile(HANDLE file) {
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                    sizeof(disposition)) != FALSE;
}

FileStatus CreateScratchFile(const GuardedFolder& folder, const wchar_t* stem,
                             UniqueHandle& file, std::wstring* name) {
  file.reset();
  if (!folder.IsOpen()) return FileStatus::Failed;
  for (int attempt = 0; attempt < kScratchAttempts; ++attempt) {
    wchar_t random[17];
    if (!RandomHex(random)) return FileStatus::Failed;
    std::wstring scratchName = std::wstring(stem) + L"." + random + L".tmp";
    std::wstring apiPath = ApiPath(folder.PathOf(scratchName.c_str()));
    UniqueHandle created(CreateFileW(apiPath.c_str(),
                                     GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL | kNoFollow, nullptr));
    if (!created) {
      if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) continue;
      return StatusFromLastError();
    }
    FileStatus status = CheckOpenedFile(created.get(), apiPath, folder, scratchName.c_str(), true);
    if (status != FileStatus::Done) {
      DeleteOpenFile(created.get());  // made just now, by us: nothing of anyone else's
      return status;
    }
    file = std::move(created);
    if (name) *name = scratchName;
    return FileStatus::Done;
  }
  return FileStatus::Failed;
}

FileStatus CommitScratchFile(HANDLE scratch, const GuardedFolder& folder, const wchar_t* name) {
  if (!folder.IsOpen() || !IsPlainFileName(name)) return FileStatus::Failed;
  if (RenameByHandle(scratch, folder.PathOf(name), true)) {
    // Renamed by handle: the file is where the folder's guard says, or it was moved on.
    return IsPathOf(FinalPathOf(scratch), folder.FinalPath(), AsStored(name)) ? FileStatus::Done
                                                                               : FileStatus::Outside;
  }
  DWORD error = GetLastError();
  // A file held open refuses to be replaced with "access denied"; tell that from the rest.
  UniqueHandle probe(CreateFileW(ApiPath(folder.PathOf(name)).c_str(), DELETE, 0, nullptr,
                                 OPEN_EXISTING, kNoFollow, nullptr));
  bool heldOpen = !probe && GetLastError() == ERROR_SHARING_VIOLATION;
  SetLastError(error);
  if (heldOpen || error == ERROR_SHARING_VIOLATION) return FileStatus::InUse;
  return FileStatus::Failed;
}

FileStatus WriteWholeFile(const GuardedFolder& folder, const wchar_t* name, const void* data,
                          DWORD size) {
  UniqueHandle scratch;
  FileStatus status = CreateScratchFile(folder, L"~lg", scratch);
  if (status != FileStatus::Done) return status;
  DWORD written = 0;
  if (!WriteFile(scratch.get(), data, size, &written, nullptr) || written != size) {
    DeleteOpenFile(scratch.get());
    return FileStatus::Failed;
  }
  status = CommitScratchFile(scratch.get(), folder, name);
  if (status != FileStatus::Done) DeleteOpenFile(scratch.get());
  return status;
}

FileStatus ReadWholeFile(const GuardedFolder& folder, const wchar_t* name, std::string& bytes,
                         DWORD maxBytes) {
  bytes.clear();
  if (!folder.IsOpen() || !IsPlainFileName(name)) return FileStatus::Failed;
  std::wstring apiPath = ApiPath(folder.PathOf(name));
  UniqueHandle file(CreateFileW(apiPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, kNoFollow, nullptr));
  if (!file) return StatusFromLastError();
  FileStatus status = CheckOpenedFile(file.get(), apiPath, folder, name, true);
  if (status != FileStatus::Done) return status;
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > maxBytes) return FileStatus::Failed;
  bytes.resize(static_cast<size_t>(size.QuadPart));
  DWORD got = 0;
  if (!bytes.empty() &&
      (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
       got != bytes.size())) {
    bytes.clear();
    return FileStatus::Failed;
  }
  return FileStatus::Done;
}

FileStatus OpenAppendFile(const GuardedFolder& folder, const wchar_t* name, UniqueHandle& file) {
  file.reset();
  if (!folder.IsOpen() || !IsPlainFileName(name)) return FileStatus::Failed;
  std::wstring apiPath = ApiPath(folder.PathOf(name));
  const DWORD access = FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  // An existing file is opened; a missing one is made new. Never "open or create" in one
  // call: through a dangling link that would make the link's target.
  UniqueHandle opened;
  for (int attempt = 0; attempt < 2 && !opened; ++attempt) {
    opened.reset(CreateFileW(apiPath.c_str(), access, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | kNoFollow, nullptr));
    if (opened || GetLastError() != ERROR_FILE_NOT_FOUND) break;
    opened.reset(CreateFileW(apiPath.c_str(), access, share, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | kNoFollow, nullptr));
  }
  if (!opened) {
    // Missing, yet not creatable: a link that leads nowhere.
    return GetLastError() == ERROR_FILE_EXISTS ? FileStatus::Link : StatusFromLastError();
  }
  FileStatus status = CheckOpenedFile(opened.get(), apiPath, folder, name, true);
  if (status != FileStatus::Done) return status;
  file = std::move(opened);
  return FileStatus::Done;
}

FileStatus DeleteGuardedFile(const GuardedFolder& folder, const wchar_t* name) {
  if (!folder.IsOpen() || !IsPlainFileName(name)) return FileStatus::Failed;
  std::wstring apiPath = ApiPath(folder.PathOf(name));
  UniqueHandle file(CreateFileW(apiPath.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, kNoFollow, nullptr));
  if (!file) return StatusFromLastError();
  // A second name of another file may go: deleting a name never touches the content.
  FileStatus status = CheckOpenedFile(file.get(), apiPath, folder, name, false);
  if (status != FileStatus::Done) return status;
  return DeleteOpenFile(file.get()) ? FileStatus::Done : StatusFromLastError();
}

FileStatus MoveGuardedFile(const GuardedFolder& from, const wchar_t* name, const GuardedFolder& to,
                           const wchar_t* newName) {
  if (!from.IsOpen() || !to.IsOpen() || !IsPlainFileName(name) || !IsPlainFileName(newName))
    return FileStatus::Failed;
  std::wstring apiPath = ApiPath(from.PathOf(name));
  UniqueHandle file(CreateFileW(apiPath.c_str(), DELETE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, kNoFollow, nullptr));
  if (!file) return StatusFromLastError();
  // Like a delete, a move takes a name away and leaves any other name's content alone.
  FileStatus status = CheckOpenedFile(file.get(), apiPath, from, name, false);
  if (status != FileStatus::Done) return status;
  if (!RenameByHandle(file.get(), to.PathOf(newName), false)) return StatusFromLastError();
  return IsPathOf(FinalPathOf(file.get()), to.FinalPath(), AsStored(newName)) ? FileStatus::Done
                                                                              : FileStatus::Outside;
}

FileStatus RemoveGuardedFolder(GuardedFolder& folder) {
  if (!folder.IsOpen()) return FileStatus::Failed;
  std::wstring apiPath = ApiPath(folder.Path());
  std::wstring finalPath = folder.FinalPath();
  folder = GuardedFolder();  // our own pin would stand in the way of the delete
  UniqueHandle handle = OpenFolderHandle(apiPath, DELETE, false);
  if (!handle) return StatusFromLastError();
  BY_HANDLE_FILE_INFORMATION info = {};
  if (!QueryFile(handle.get(), info)) return FileStatus::Failed;
  if (LooksLikeLink(apiPath, info)) return FileStatus::Link;
  if (!IsSamePath(FinalPathOf(handle.get()), finalPath)) return FileStatus::Outside;
  return DeleteOpenFile(handle.get()) ? FileStatus::Done : StatusFromLastError();
}
