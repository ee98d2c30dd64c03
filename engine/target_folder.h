// The target folder as a run holds it: made when missing (protected where users could
// otherwise write) or found, and open as the top of a guarded tree.
#pragma once

#include "base/safe_files.h"

// How the run came by its target folder (the descriptor decision, readable by tests).
enum class TargetOrigin {
  Found,             // existed already: keeps whatever descriptor it has
  CreatedInherited,  // made below Program Files: inherits that folder's descriptor
  CreatedProtected,  // made anywhere else: Administrators and SYSTEM write, users read
};

struct TargetFolder {
  GuardedFolder top;
  FileStatus status = FileStatus::Failed;  // of opening top: Link or Outside refuse it
  TargetOrigin origin = TargetOrigin::Found;
};

// Creates folder (520) with its missing parents as CreateFolderTree does (blanks trimmed,
// final backslash) and opens it into target. 1 when the folder exists afterwards (target
// may still refuse it), 0 when it could not be created.
int PrepareTargetFolder(wchar_t* folder, TargetFolder& target);
