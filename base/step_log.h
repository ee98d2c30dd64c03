// The full log of a run (/log=PATH), shared by the setup and the uninstaller: one UTF-8
// line per step (no byte-order mark, CR LF) after the local date and time, appended to a
// file that is opened once, without following links, and shared with readers meanwhile.
//
//   FormatStepLine  the bytes of one line
//   StepLog         the open file; while it is open it receives the steps of run_log.h
//   LogRunHeader    the lines every full log starts with
#pragma once

#include <windows.h>

#include <string>

#include "base/handles.h"
#include "base/safe_files.h"

// "YYYY-MM-DD HH:MM:SS  text" in UTF-8 with CR LF. Line breaks inside the text become one
// blank each run of them, so that one step stays one line.
std::string FormatStepLine(const SYSTEMTIME& time, const wchar_t* text);

class StepLog {
 public:
  StepLog() = default;
  ~StepLog();
  StepLog(const StepLog&) = delete;
  StepLog& operator=(const StepLog&) = delete;

  // Opens path (relative to the current folder) for appending and makes it the run's step
  // writer. Its folder must exist: none is made. The folder may be reached through a link
  // (a redirected temporary folder is normal); the file itself may not be a link or a hard
  // link, and nothing is made through one. Anything but Done leaves the run without a log.
  FileStatus Open(const wchar_t* path);

  bool IsOpen() const { return static_cast<bool>(file_); }
  // The file as opened: the resolved folder and the name.
  const std::wstring& Path() const { return path_; }

 private:
  static void Write(const wchar_t* line);

  UniqueHandle file_;
  std::wstring path_;
};

// The header: program and version, the program file, the command line, the Windows
// version, whether the process is elevated, its account, and the local date and time.
void LogRunHeader(const wchar_t* program, const wchar_t* version, const wchar_t* commandLine);
