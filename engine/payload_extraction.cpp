#include "engine/payload_extraction.h"

#include <windows.h>

#include <cwchar>

#include "base/handles.h"
#include "base/run_log.h"
#include "base/text_rules.h"
#include "engine/entry_names.h"
#include "engine/install_options.h"
#include "iowin32.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kNameBytes = 520;
constexpr int kWideNameChars = 324;
constexpr unsigned kCopyBlock = 32768;

bool ToWide(const char* text, int bytes, wchar_t* wide) {
  int n = MultiByteToWideChar(CP_ACP, 0, text, bytes, wide, kWideNameChars - 1);
  if (n <= 0 || n >= kWideNameChars) return false;
  wide[n] = L'\0';
  return true;
}

HANDLE CreateOutputFile(const wchar_t* name) {
  return CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Creates the file of an entry; on failure makes its folders and tries once more.
UniqueHandle CreateEntryFile(const char* name, unsigned bareOffset, const wchar_t* wideName) {
  UniqueHandle file(CreateOutputFile(wideName));
  if (file || bareOffset == 0) return file;
  wchar_t folder[kWideNameChars];
  if (!ToWide(name, static_cast<int>(bareOffset - 1), folder)) return file;
  if (MakeParentFolders(folder) != 1) return file;
  file.reset(CreateOutputFile(wideName));
  return file;
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

int ExtractFileEntry(unzFile archive, const char* name, unsigned bareOffset,
                     const wchar_t* wideName, unsigned long dosDate, char* buffer,
                     LeftOutFiles* leftOut) {
  int status = unzOpenCurrentFilePassword(archive, nullptr);
  if (status != UNZ_OK) {
    unzCloseCurrentFile(archive);
    return status;
  }
  UniqueHandle file = CreateEntryFile(name, bareOffset, wideName);
  if (!file) {
    unzCloseCurrentFile(archive);
    if (leftOut) leftOut->emplace_back(wideName);
    return UNZ_OK;
  }
  status = CopyEntryData(archive, file.get(), buffer);
  file.reset();
  if (status != UNZ_OK) {
    unzCloseCurrentFile(archive);
    return status;
  }
  SetFileTimeFromEntry(wideName, dosDate);
  return unzCloseCurrentFile(archive);  // a CRC mismatch shows here
}

int ExtractCurrentEntry(unzFile archive, int skipIconLibrary, LeftOutFiles* leftOut) {
  unz_file_info64 info = {};
  char name[kNameBytes] = {};
  int status = unzGetCurrentFileInfo64(archive, &info, name, kNameBytes, nullptr, 0, nullptr, 0);
  if (status != UNZ_OK) return status;
  if (skipIconLibrary == 1 && NamesIconLibrary(name)) return UNZ_OK;
  // A name cut by the buffer, too long for its wide form, or leaving the target folder
  // would write somewhere else than the archive says: the walk stops there.
  wchar_t wideName[kWideNameChars];
  if (info.size_filename >= kNameBytes || !IsSafeEntryName(name) ||
      !ToWide(name, -1, wideName))
    return -1;
  HeapBlock buffer(HeapAlloc(GetProcessHeap(), 0, kCopyBlock));
  if (!buffer) return -1;
  unsigned bareOffset = BareNameOffset(name);
  if (name[bareOffset] == '\0') {
    CreateDirectoryW(wideName, nullptr);  // an existing folder is the normal case
    return UNZ_OK;
  }
  return ExtractFileEntry(archive, name, bareOffset, wideName, info.dosDate,
                          static_cast<char*>(buffer.get()), leftOut);
}

class TempFile {
 public:
  explicit TempFile(const wchar_t* path) : path_(path) {}
  ~TempFile() { DeleteFileW(path_); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

 private:
  const wchar_t* path_;
};

// The user's temporary folder followed by the copy's name; false when it does not fit.
bool BuildPayloadTempPath(wchar_t* path) {
  DWORD len = GetTempPathW(kLongPath - 1, path);
  if (len == 0 || len >= kLongPath - 1) return false;
  return AppendBackslash(path, kLongPath) && AppendText(path, kLongPath, kPayloadTempName);
}

bool WriteWholeFile(const wchar_t* path, const void* data, DWORD size) {
  UniqueHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), data, size, &written, nullptr) && written == size;
}

}  // namespace

int ExtractEntries(unzFile archive, int skipIconLibrary, LeftOutFiles* leftOut) {
  unz_global_info64 global = {};
  int status = unzGetGlobalInfo64(archive, &global);
  if (status != UNZ_OK) return status;
  for (ZPOS64_T i = 0; i < global.number_entry; ++i) {
    status = ExtractCurrentEntry(archive, skipIconLibrary, leftOut);
    if (status != UNZ_OK) return status;
    ReportProgress(i + 1, global.number_entry);
    if (i + 1 < global.number_entry) {
      status = unzGoToNextFile(archive);
      if (status != UNZ_OK) return status;
    }
  }
  return UNZ_OK;
}

int ExtractArchive(const wchar_t* zipPath, const wchar_t* targetFolder, int skipIconLibrary,
                   LeftOutFiles* leftOut) {
  if (!zipPath) return -1;
  zlib_filefunc64_def functions;
  fill_win32_filefunc64W(&functions);
  unzFile archive = unzOpen2_64(zipPath, &functions);
  if (!archive) return -1;
  int status = -1;
  if (SetCurrentDirectoryW(targetFolder)) status = ExtractEntries(archive, skipIconLibrary, leftOut);
  unzClose(archive);
  return status;
}

int ExtractPayload(const wchar_t* targetFolder, int skipIconLibrary, LeftOutFiles* leftOut) {
  HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_PAYLOAD), L"ZIP");
  if (!info) return -1;
  HGLOBAL loaded = LoadResource(nullptr, info);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  DWORD size = SizeofResource(nullptr, info);
  if (!data || size == 0) return -1;

  wchar_t tempPath[kLongPath];
  if (!BuildPayloadTempPath(tempPath)) return -1;
  TempFile removeAfterwards(tempPath);  // deleted after every attempt
  if (!WriteWholeFile(tempPath, data, size)) return -1;
  return ExtractArchive(tempPath, targetFolder, skipIconLibrary, leftOut);
}

int MakeParentFolders(const wchar_t* path) {
  size_t len = wcslen(path);
  if (len == 0) return 0;
  HeapBlock block(HeapAlloc(GetProcessHeap(), 0, (len + 1) * sizeof(wchar_t)));
  if (!block) return UNZ_INTERNALERROR;
  auto* copy = static_cast<wchar_t*>(block.get());
  wmemcpy(copy, path, len + 1);
  if (copy[len - 1] == L'/') copy[--len] = L'\0';
  if (CreateDirectoryW(copy, nullptr)) return 1;
  for (size_t i = 1; i <= len; ++i) {
    wchar_t c = copy[i];
    if (c != L'\\' && c != L'/' && c != L'\0') continue;
    copy[i] = L'\0';
    if (!CreateDirectoryW(copy, nullptr) && GetLastError() == ERROR_PATH_NOT_FOUND) return 0;
    copy[i] = c;
  }
  return 1;
}

void SetFileTimeFromEntry(const wchar_t* fileName, unsigned long dosDateTime) {
  UniqueHandle file(CreateFileW(fileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;
  FILETIME created, accessed, written;
  if (!GetFileTime(file.get(), &created, &accessed, &written)) return;
  FILETIME local, utc;
  if (!DosDateTimeToFileTime(HIWORD(dosDateTime), LOWORD(dosDateTime), &local)) return;
  if (!LocalFileTimeToFileTime(&local, &utc)) return;
  SetFileTime(file.get(), &utc, &accessed, &utc);
}
