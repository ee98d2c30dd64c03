// The generated list of payload entries agrees with the archive in the setup's resources.
#include "payload_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "test_support.h"
#include "unzip.h"
// after unzip.h, which brings the zlib macros it uses
#include "iowin32.h"

namespace {

// The entry names of the embedded archive, read back with minizip from a copy.
std::vector<std::wstring> EmbeddedEntryNames() {
  std::vector<std::wstring> names;
  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(1974), L"ZIP");
  HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!data) return names;
  test::ScratchFolder folder(L"payload_files");
  std::wstring copy = folder / L"payload.zip";
  test::WriteFileBytes(copy, std::string(data, SizeofResource(nullptr, resource)));

  zlib_filefunc64_def io;
  fill_win32_filefunc64W(&io);
  unzFile zip = unzOpen2_64(copy.c_str(), &io);
  if (!zip) return names;
  for (int status = unzGoToFirstFile(zip); status == UNZ_OK; status = unzGoToNextFile(zip)) {
    char name[520];
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof(name), nullptr, 0, nullptr, 0) != UNZ_OK)
      break;
    names.emplace_back(name, name + strlen(name));  // entry names are ASCII
  }
  unzClose(zip);
  return names;
}

TEST(PayloadFiles, ListEqualsTheEmbeddedArchive) {
  std::vector<std::wstring> names = EmbeddedEntryNames();
  ASSERT_EQ(names.size(), static_cast<size_t>(kPayloadEntryCount));
  for (int i = 0; i < kPayloadEntryCount; ++i) EXPECT_EQ(names[i], kPayloadEntries[i]) << i;
}

TEST(PayloadFiles, PathsAndFolderFlagsFollowTheNames) {
  for (int i = 0; i < kPayloadEntryCount; ++i) {
    std::wstring name = kPayloadEntries[i];
    bool folder = name.back() == L'/';
    EXPECT_EQ(kPayloadIsFolder[i], folder) << i;
    std::wstring path = folder ? name.substr(0, name.size() - 1) : name;
    for (wchar_t& c : path)
      if (c == L'/') c = L'\\';
    EXPECT_EQ(path, kPayloadPaths[i]) << i;
  }
}

}  // namespace
