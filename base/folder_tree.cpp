#include "base/folder_tree.h"

#include <windows.h>

#include <cwchar>

#include "base/text_rules.h"

namespace {

// Final backslash for paths of at most 258 characters.
void AppendFinalBackslash(wchar_t* path) {
  size_t len = wcslen(path);
  if (len <= 258 && !EndsWith(path, L'\\')) AppendText(path, kLongPath, L"\\");
}

// Whether the folder can be entered; the current folder is put back afterwards.
bool CanEnterFolder(const wchar_t* path) {
  wchar_t previous[kMaxPath + 1] = {};
  DWORD got = GetCurrentDirectoryW(kMaxPath, previous);
  if (!SetCurrentDirectoryW(path)) return false;
  if (got > 0 && got < kMaxPath) SetCurrentDirectoryW(previous);
  return true;
}

// Whether nothing but backslashes follows position at in path.
bool OnlySeparatorsAfter(const wchar_t* path, size_t at) {
  for (const wchar_t* c = path + at + 1; *c; ++c)
    if (*c != L'\\') return false;
  return true;
}

int BuildFolderTree(wchar_t* path, FolderMaker* makeLast) {
  TrimBlanks(path);
  if (path[0] == L'\0') return 0;
  AppendFinalBackslash(path);
  if (CanEnterFolder(path)) return 1;

  // Level by level; trailing blanks of each level go, and failures (drive roots, server
  // and share names) are expected.
  wchar_t rebuilt[kMaxPath] = {};
  size_t out = 0;
  size_t in = 0;
  if (path[0] == L'\\' && path[1] == L'\\') {
    rebuilt[out++] = L'\\';
    rebuilt[out++] = L'\\';
    in = 2;
  }
  for (; in < kMaxPath && path[in] != L'\0' && out + 1 < kMaxPath; ++in) {
    if (path[in] != L'\\') {
      rebuilt[out++] = path[in];
      continue;
    }
    rebuilt[out] = L'\0';
    TrimBlanks(rebuilt);
    if (makeLast && OnlySeparatorsAfter(path, in) && !EndsWith(rebuilt, L'\\'))
      makeLast->Make(rebuilt);
    else
      CreateDirectoryW(rebuilt, nullptr);
    out = wcslen(rebuilt);
    if (!EndsWith(rebuilt, L'\\') && out + 1 < kMaxPath) rebuilt[out++] = L'\\';
  }
  rebuilt[out] = L'\0';
  CopyText(path, kLongPath, rebuilt);
  AppendFinalBackslash(path);
  return CanEnterFolder(path) ? 1 : 0;
}

}  // namespace

int CreateFolderTree(wchar_t* path) { return BuildFolderTree(path, nullptr); }

int CreateFolderTree(wchar_t* path, FolderMaker& makeLast) {
  return BuildFolderTree(path, &makeLast);
}
