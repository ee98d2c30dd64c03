// File work in folders a user without administrator rights may write (the target outside
// Program Files, %APPDATA%, the start menu and desktop, the start folder): nothing is
// written, read, moved or deleted through a link, junction or hard link placed there.
//
// Classes and functions in this file:
//   GuardedFolder       a folder opened without following links and checked to be what its
//                       path says; held so that nobody can rename or remove it meanwhile
//   CreateScratchFile   a new file under a name nobody can predict
//   CommitScratchFile   the scratch file renamed over its final name
//   WriteWholeFile      scratch, write, commit in one
//   ReadWholeFile       the bytes of a file that is neither a link nor a hard link
//   OpenAppendFile      a log file, appended to
//   DeleteGuardedFile   a file deleted through the handle that was checked
//   MoveGuardedFile     a file moved from one guarded folder into another by that handle
//   RemoveGuardedFolder an empty folder removed the same way
#pragma once

#include <windows.h>

#include <string>

#include "base/handles.h"

// What became of a file operation in a guarded folder.
enum class FileStatus {
  Done,
  Missing,  // nothing of that name
  Link,     // a link, junction or hard link: refused
  Outside,  // what was opened lies elsewhere than its path says: refused
  InUse,    // held open by another program
  Failed,   // any other error (GetLastError tells which)
};

// path made absolute against the current folder; empty when that fails.
std::wstring FullPath(const wchar_t* path);

// A short German reason for a refusal or failure, for logs and messages.
const wchar_t* FileStatusText(FileStatus status);

// The same for the full log, with the system's text of error (the last error of the
// failed call) after it where the status leaves the cause open.
std::wstring FileStatusReason(FileStatus status, DWORD error);

class GuardedFolder {
 public:
  GuardedFolder() = default;
  GuardedFolder(GuardedFolder&&) = default;
  GuardedFolder& operator=(GuardedFolder&&) = default;

  // The top of a guarded tree. The folders above it may be links (redirected user folders
  // are normal); the folder itself may not. With create, a missing folder is made (its
  // parents too, unguarded) with the given security, or inherited when null.
  static FileStatus OpenTop(const wchar_t* path, bool create, GuardedFolder& out,
                            const SECURITY_ATTRIBUTES* security = nullptr);

  // A folder that may itself be a link (the desktop, the start folder): opened where it
  // leads, and guarded from there on; Path() is then the resolved path.
  static FileStatus OpenResolved(const wchar_t* path, GuardedFolder& out);

  // A sub-folder by a relative name ("Plugins", "help\\deutsch"): every level is checked
  // and made when create is set and it is missing.
  FileStatus OpenChild(const wchar_t* relative, bool create, GuardedFolder& out) const;

  bool IsOpen() const { return static_cast<bool>(handle_); }
  HANDLE Handle() const { return handle_.get(); }
  // The path as the caller named it, with a final backslash.
  const std::wstring& Path() const { return path_; }
  // The path as the system resolved it, without the "\\?\" prefix or a final backslash.
  const std::wstring& FinalPath() const { return final_; }
  // Path() followed by name.
  std::wstring PathOf(const wchar_t* name) const { return path_ + name; }
  // Whether the folder was made by OpenTop or OpenChild just now.
  bool Created() const { return created_; }

 private:
  UniqueHandle handle_;
  std::wstring path_;
  std::wstring final_;
  bool created_ = false;

  static FileStatus OpenChecked(const std::wstring& path, const std::wstring& expectedFinal,
                                GuardedFolder& out);
};

// A new, empty file "<stem>.<16 random hex digits>.tmp" in the folder, opened for writing
// and deletion with no sharing. name receives the file name chosen.
FileStatus CreateScratchFile(const GuardedFolder& folder, const wchar_t* stem,
                             UniqueHandle& file, std::wstring* name = nullptr);

// Renames the open scratch file over name in the same folder. A file of that name is
// replaced; a link of that name is replaced itself, its target is never written. InUse
// when the file there is held open; the scratch file then stays as it is.
FileStatus CommitScratchFile(HANDLE scratch, const GuardedFolder& folder, const wchar_t* name);

// Marks an open file for deletion (it goes when its last handle closes).
bool DeleteOpenFile(HANDLE file);

// The whole file written through a scratch file and committed under name.
FileStatus WriteWholeFile(const GuardedFolder& folder, const wchar_t* name, const void* data,
                          DWORD size);

// The bytes of name (at most maxBytes). Missing, Link (also a hard link, which could
// show another file's content), Outside or Failed leave bytes empty.
FileStatus ReadWholeFile(const GuardedFolder& folder, const wchar_t* name, std::string& bytes,
                         DWORD maxBytes = 16u << 20);

// Opens name for appending, created when missing, shared with every other reader and
// writer. A link there is refused, and nothing is made through one.
FileStatus OpenAppendFile(const GuardedFolder& folder, const wchar_t* name, UniqueHandle& file);

// Deletes the file name through the handle whose place was checked. Missing when there is
// nothing to delete; Link and Outside leave it alone.
FileStatus DeleteGuardedFile(const GuardedFolder& folder, const wchar_t* name);

// Moves the file name into the folder to as newName through the handle whose place was
// checked; a file of that name there is never replaced. Link and Outside leave it alone;
// across volumes it fails (Failed, GetLastError ERROR_NOT_SAME_DEVICE).
FileStatus MoveGuardedFile(const GuardedFolder& from, const wchar_t* name, const GuardedFolder& to,
                           const wchar_t* newName);

// Removes the folder when it is empty; the guard is given up either way. Failed when it
// holds anything or cannot be removed.
FileStatus RemoveGuardedFolder(GuardedFolder& folder);

// The status a failed call's last error stands for (Missing, InUse or Failed).
FileStatus StatusFromLastError();
