#include "engine/payload_extraction.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "base/folder_security.h"
#include "base/handles.h"
#include "base/run_log.h"
#include "engine/entry_names.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kNameBytes = 520;
constexpr int kWideNameChars = 324;
constexpr unsigned kCopyBlock = 32768;
// Scratch files are "~lg.<16 hex digits>.tmp": no longer than a payload name with its
// folder, so a scratch path fits wherever the longest installed path fits.
constexpr wchar_t kScratchStem[] = L"~lg";

// The archive as minizip reads it: a read-only stream over bytes in memory (the locked
// resource), so that no copy of it ever lies where a user could swap it.
struct MemoryStream {
  const unsigned char* data;
  ZPOS64_T size;
  ZPOS64_T position;
};

voidpf ZCALLBACK OpenMemory(voidpf, const void* source, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  auto* stream = static_cast<MemoryStream*>(const_cast<void*>(source));
  stream->position = 0;
  return stream;
}

uLong ZCALLBACK ReadMemory(voidpf, voidpf opened, void* buffer, uLong size) {
  auto* stream = static_cast<MemoryStream*>(opened);
  ZPOS64_T left = stream->size - stream->position;
  if (size > left) size = static_cast<uLong>(left);
  std::memcpy(buffer, stream->data + stream->position, size);
  stream->position += size;
  return size;
}

uLong ZCALLBACK WriteMemory(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK TellMemory(voidpf, voidpf opened) {
  return static_cast<MemoryStream*>(opened)->position;
}

long ZCALLBACK SeekMemory(voidpf, voidpf opened, ZPOS64_T offset, int origin) {
  auto* stream = static_cast<MemoryStream*>(opened);
  ZPOS64_T base = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = stream->position; break;
    case ZLIB_FILEFUNC_SEEK_END: base = stream->size; break;
    default: return -1;
  }
  if (offset > stream->size - base) return -1;  // nothing lies beyond the end
  stream->position = base + offset;
  return 0;
}

int ZCALLBACK CloseMemory(voidpf, voidpf) { return 0; }

int ZCALLBACK MemoryError(voidpf, voidpf) { return 0; }

zlib_filefunc64_def MemoryFunctions() {
  zlib_filefunc64_def functions = {};
  functions.zopen64_file = OpenMemory;
  functions.zread_file = ReadMemory;
  functions.zwrite_file = WriteMemory;
  functions.ztell64_file = TellMemory;
  functions.zseek64_file = SeekMemory;
  functions.zclose_file = CloseMemory;
  functions.zerror_file = MemoryError;
  return functions;
}

class OpenArchive {
 public:
  explicit OpenArchive(unzFile archive) : archive_(archive) {}
  ~OpenArchive() {
    if (archive_) unzClose(archive_);
  }
  OpenArchive(const OpenArchive&) = delete;
  OpenArchive& operator=(const OpenArchive&) = delete;
  unzFile get() const { return archive_; }

 private:
  unzFile archive_;
};

class MappedView {
 public:
  explicit MappedView(const void* view) : view_(view) {}
  ~MappedView() {
    if (view_) UnmapViewOfFile(view_);
  }
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  const void* get() const { return view_; }

 private:
  const void* view_;
};

bool ToWide(const char* text, int bytes, wchar_t* wide) {
  int n = MultiByteToWideChar(CP_ACP, 0, text, bytes, wide, kWideNameChars - 1);
  if (n <= 0 || n >= kWideNameChars) return false;
  wide[n] = L'\0';
  return true;
}

bool IsRefusal(FileStatus status) { return status == FileStatus::Link || status == FileStatus::Outside; }

std::wstring WithoutFinalBackslash(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

// The full path of a folder below the target, for the report, in Windows separators.
std::wstring FolderPathFor(const GuardedFolder& target, std::wstring relative) {
  for (wchar_t& c : relative)
    if (c == L'/') c = L'\\';
  return WithoutFinalBackslash(target.PathOf(relative.c_str()));
}

int Refuse(const GuardedFolder& target, const std::wstring& relative, FileStatus why,
           ExtractionReport& report) {
  report.refusedFolder = FolderPathFor(target, relative);
  report.refusedStatus = why;
  return kFolderRefused;
}

// One walk over the archive; the folder of the last file entry stays open for the next.
struct Walk {
  unzFile archive;
  const GuardedFolder& target;
  int skipIconLibrary;
  ExtractionReport& report;
  std::wstring lastFolderName;
  GuardedFolder lastFolder;
};

// The guarded folder of a file entry (its folders made where missing).
FileStatus FolderOfEntry(Walk& walk, const std::wstring& relative, const GuardedFolder*& folder) {
  if (relative.empty()) {
    folder = &walk.target;
    return FileStatus::Done;
  }
  if (!walk.lastFolder.IsOpen() || relative != walk.lastFolderName) {
    walk.lastFolderName.clear();
    FileStatus status = walk.target.OpenChild(relative.c_str(), true, walk.lastFolder);
    if (status != FileStatus::Done) return status;
    walk.lastFolderName = relative;
  }
  folder = &walk.lastFolder;
  return FileStatus::Done;
}

// Copies the open entry into the file: 0, -1 for a short write, or the read error.
int CopyEntryData(unzFile archive, HANDLE file, char* buffer) {
  for (;;) {
    int got = unzReadCurrentFile(archive, buffer, kCopyBlock);
    if (got < 0) return got;
    if (got == 0) return 0;
    DWORD written = 0;
    if (!WriteFile(file, buffer, static_cast<DWORD>(got), &written, nullptr) ||
        written != static_cast<DWORD>(got))
      return -1;
  }
}

// A file held open by another program: below Program Files or in a folder only
// administrators can write, the new file waits beside it and replaces it at the next
// restart. Anywhere else the restart would follow a path a user could have replaced. The
// paths recorded are the resolved ones: a link above the target (allowed) could be
// pointed elsewhere before the restart.
bool ReplaceAtRestart(const GuardedFolder& folder, const std::wstring& scratchName,
                      const wchar_t* name) {
  if (!UsersCannotWrite(folder)) return false;
  std::wstring resolved = folder.FinalPath() + L"\\";
  return MoveFileExW((resolved + scratchName).c_str(), (resolved + name).c_str(),
                     MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != FALSE;
}

void LeaveOut(Walk& walk, const wchar_t* entryName, FileStatus status, DWORD error) {
  walk.report.leftOut.emplace_back(entryName);
  LogStep(L"Datei ausgelassen: %ls (%ls)", FolderPathFor(walk.target, entryName).c_str(),
          FileStatusReason(status, error).c_str());
}

void Commit(Walk& walk, const GuardedFolder& folder, UniqueHandle& scratch,
            const std::wstring& scratchName, const wchar_t* name, const wchar_t* entryName) {
  std::wstring path = folder.PathOf(name);
  // Only to tell "written" from "replaced": the rename below does not depend on it.
  bool existed = GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  FileStatus status = CommitScratchFile(scratch.get(), folder, name);
  DWORD error = GetLastError();
  if (status == FileStatus::Done) {
    ++(existed ? walk.report.replaced : walk.report.written);
    LogStep(existed ? L"Datei ersetzt: %ls" : L"Datei geschrieben: %ls", path.c_str());
    return;
  }
  if (status == FileStatus::InUse && ReplaceAtRestart(folder, scratchName, name)) {
    walk.report.replacedAtRestart.emplace_back(entryName);
    LogStep(L"Datei wird beim Neustart ersetzt (in Benutzung): %ls; die neue wartet als %ls",
            path.c_str(), folder.PathOf(scratchName.c_str()).c_str());
    return;  // closing the handle keeps the scratch file for the restart
  }
  DeleteOpenFile(scratch.get());
  LeaveOut(walk, entryName, status, error);
}

int ExtractFileEntry(Walk& walk, const wchar_t* wideName, unsigned long dosDate, char* buffer) {
  int status = unzOpenCurrentFilePassword(walk.archive, nullptr);
  if (status != UNZ_OK) {
    unzCloseCurrentFile(walk.archive);
    return status;
  }
  const wchar_t* bare = wideName;
  for (const wchar_t* c = wideName; *c; ++c)
    if (*c == L'/' || *c == L'\\') bare = c + 1;
  const GuardedFolder* folder = nullptr;
  FileStatus opened = FolderOfEntry(walk, std::wstring(wideName, bare), folder);
  if (IsRefusal(opened)) {
    unzCloseCurrentFile(walk.archive);
    return Refuse(walk.target, std::wstring(wideName, bare), opened, walk.report);
  }
  UniqueHandle scratch;
  std::wstring scratchName;
  if (opened == FileStatus::Done)
    opened = CreateScratchFile(*folder, kScratchStem, scratch, &scratchName);
  if (opened != FileStatus::Done) {
    DWORD error = GetLastError();
    unzCloseCurrentFile(walk.archive);
    LeaveOut(walk, wideName, opened, error);
    return UNZ_OK;
  }
  status = CopyEntryData(walk.archive, scratch.get(), buffer);
  int closed = unzCloseCurrentFile(walk.archive);  // a CRC mismatch shows here
  if (status == UNZ_OK) status = closed;
  if (status != UNZ_OK) {
    DeleteOpenFile(scratch.get());  // a damaged file never takes the name
    LogStep(L"Datei nicht geschrieben, das Entpacken bricht ab: %ls (Archivstatus %d)",
            FolderPathFor(walk.target, wideName).c_str(), status);
    return status;
  }
  SetFileTimeFromEntry(scratch.get(), dosDate);
  Commit(walk, *folder, scratch, scratchName, bare, wideName);
  return UNZ_OK;
}

int ExtractCurrentEntry(Walk& walk) {
  unz_file_info64 info = {};
  char name[kNameBytes] = {};
  int status =
      unzGetCurrentFileInfo64(walk.archive, &info, name, kNameBytes, nullptr, 0, nullptr, 0);
  if (status != UNZ_OK) return status;
  if (walk.skipIconLibrary == 1 && NamesIconLibrary(name)) {
    wchar_t kept[kWideNameChars];
    if (ToWide(name, -1, kept))
      LogStep(L"Datei beibehalten (vorhandene Symbolbibliothek): %ls",
              FolderPathFor(walk.target, kept).c_str());
    return UNZ_OK;
  }
  // A name cut by the buffer, too long for its wide form, or leaving the target folder
  // would write somewhere else than the archive says: the walk stops there.
  wchar_t wideName[kWideNameChars];
  if (info.size_filename >= kNameBytes || !IsSafeEntryName(name) ||
      !ToWide(name, -1, wideName))
    return -1;
  HeapBlock buffer(HeapAlloc(GetProcessHeap(), 0, kCopyBlock));
  if (!buffer) return -1;
  if (name[BareNameOffset(name)] == '\0') {
    GuardedFolder folder;
    FileStatus opened = walk.target.OpenChild(wideName, true, folder);
    // A folder that cannot be made is not reported: its files are left out in turn.
    return IsRefusal(opened) ? Refuse(walk.target, wideName, opened, walk.report) : UNZ_OK;
  }
  return ExtractFileEntry(walk, wideName, info.dosDate, static_cast<char*>(buffer.get()));
}

}  // namespace

int ExtractEntries(unzFile archive, const GuardedFolder& target, int skipIconLibrary,
                   ExtractionReport& report) {
  unz_global_info64 global = {};
  int status = unzGetGlobalInfo64(archive, &global);
  if (status != UNZ_OK) return status;
  Walk walk{archive, target, skipIconLibrary, report, {}, {}};
  for (ZPOS64_T i = 0; i < global.number_entry; ++i) {
    status = ExtractCurrentEntry(walk);
    if (status != UNZ_OK) return status;
    ReportProgress(i + 1, global.number_entry);
    if (i + 1 < global.number_entry) {
      status = unzGoToNextFile(archive);
      if (status != UNZ_OK) return status;
    }
  }
  return UNZ_OK;
}

int ExtractFromMemory(const void* data, size_t size, const wchar_t* targetFolder,
                      int skipIconLibrary, ExtractionReport* report) {
  ExtractionReport unused;
  ExtractionReport& into = report ? *report : unused;
  if (!data || size == 0 || !targetFolder) return -1;
  MemoryStream stream{static_cast<const unsigned char*>(data), size, 0};
  zlib_filefunc64_def functions = MemoryFunctions();
  OpenArchive archive(unzOpen2_64(&stream, &functions));
  if (!archive.get()) return -1;
  GuardedFolder target;
  FileStatus opened = GuardedFolder::OpenTop(targetFolder, false, target);
  if (IsRefusal(opened)) {
    into.refusedFolder = WithoutFinalBackslash(targetFolder);
    into.refusedStatus = opened;
    return kFolderRefused;
  }
  // The guard pins the folder, so the path made current is the folder just checked.
  if (opened != FileStatus::Done || !SetCurrentDirectoryW(targetFolder)) return -1;
  return ExtractEntries(archive.get(), target, skipIconLibrary, into);
}

int ExtractArchive(const wchar_t* zipPath, const wchar_t* targetFolder, int skipIconLibrary,
                   ExtractionReport* report) {
  if (!zipPath) return -1;
  UniqueHandle file(CreateFileW(zipPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size = {};
  if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart == 0) return -1;
  UniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping) return -1;
  MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
  if (!view.get()) return -1;
  return ExtractFromMemory(view.get(), static_cast<size_t>(size.QuadPart), targetFolder,
                           skipIconLibrary, report);
}

int ExtractPayload(const wchar_t* targetFolder, int skipIconLibrary, ExtractionReport* report) {
  HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_PAYLOAD), L"ZIP");
  if (!info) return -1;
  HGLOBAL loaded = LoadResource(nullptr, info);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  DWORD size = SizeofResource(nullptr, info);
  if (!data || size == 0) return -1;
  return ExtractFromMemory(data, size, targetFolder, skipIconLibrary, report);
}

void SetFileTimeFromEntry(HANDLE file, unsigned long dosDateTime) {
  FILETIME local, utc;
  if (!DosDateTimeToFileTime(HIWORD(dosDateTime), LOWORD(dosDateTime), &local)) return;
  if (!LocalFileTimeToFileTime(&local, &utc)) return;
  SetFileTime(file, &utc, nullptr, &utc);
}
