// Helpers of the unit tests that run inside Wine: scratch folders, files, registry keys.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace test {

// A fresh, empty folder below the start folder of the test binary, removed afterwards.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::wstring& name);
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  // The folder's full path with a final backslash.
  const std::wstring& path() const { return path_; }
  // Empties the folder.
  void Clear();
  std::wstring operator/(const std::wstring& rel) const { return path_ + rel; }

 private:
  std::wstring path_;
};

// Restores the current folder when it goes out of scope.
class CurrentFolderGuard {
 public:
  CurrentFolderGuard();
  ~CurrentFolderGuard();

 private:
  wchar_t saved_[MAX_PATH];
};

std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
// A file the build made for the tests (test-fixtures/ in the build tree).
std::wstring FixturePath(const std::wstring& name);
// A file the build made, named by a host path in the environment variable (empty: unset).
std::wstring BuiltFilePath(const wchar_t* variable);
// The folder (with a final backslash) below which an end-to-end test planted host links
// for a test run through it (LG_LINK_ROOT); empty when the binary runs on its own.
std::wstring LinkRoot();
// Copies a file, replacing the target.
bool CopyFileTo(const std::wstring& from, const std::wstring& to);
bool FolderExists(const std::wstring& path);
// The files directly in a folder (given with its final backslash), sub-folders not counted.
int CountFiles(const std::wstring& folder);
// The names of everything directly in a folder, sorted.
std::vector<std::wstring> FolderNames(const std::wstring& folder);
void RemoveTree(const std::wstring& path);

// Registry helpers for setting up and reading back keys.
void SetRegistryString(HKEY root, const std::wstring& key, const wchar_t* name,
                       const std::wstring& value);
bool ReadRegistryString(HKEY root, const std::wstring& key, const wchar_t* name,
                        std::wstring& value);
void DeleteRegistryTree(HKEY root, const std::wstring& key);

}  // namespace test
