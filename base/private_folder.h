// A folder only administrators and SYSTEM can write, for the work an elevated program must
// not do where users can reach: the settings being prepared, the uninstaller's own copy.
#pragma once

#include <string>

#include "base/safe_files.h"

class PrivateFolder {
 public:
  PrivateFolder() = default;
  // What is still in it goes with it, unless it is kept.
  ~PrivateFolder();
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  // Makes "<Windows folder>\Temp\lg-<16 random hex digits>" with a protected descriptor
  // (Administrators and SYSTEM only); a name that exists already is never reused.
  FileStatus Create();

  // For a process that is not elevated, which cannot create the protected descriptor: a
  // new folder of the same kind in the user's temporary folder, with the descriptor it
  // inherits there (other users cannot write it; programs of the same user gain nothing
  // by planting in it). Failed in an elevated process, which must use Create.
  FileStatus CreateForUser();

  const GuardedFolder& Folder() const { return folder_; }
  bool IsOpen() const { return folder_.IsOpen(); }

  // Leaves the folder and its files where they are (they go at the next restart).
  void Keep() { keep_ = true; }

  // Removes the folder with its files now, giving up the guard; Failed when something in
  // it cannot go yet (a file marked for deletion that is still open), and it stays.
  FileStatus Remove();

 private:
  GuardedFolder folder_;
  bool keep_ = false;

  FileStatus CreateIn(const std::wstring& parent, const SECURITY_ATTRIBUTES* security);
};
