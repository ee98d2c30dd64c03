// Who may change a folder: the protected descriptor the setup gives a folder it creates
// where users could otherwise write, and the test whether only administrators can write one.
#pragma once

#include <windows.h>

#include <string>

#include "base/safe_files.h"

// Administrators and SYSTEM full control, Users read and execute; nothing inherited.
inline constexpr wchar_t kProtectedFolderSddl[] =
    L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
// Administrators and SYSTEM only: for the uninstaller's copy of itself.
inline constexpr wchar_t kPrivateFolderSddl[] = L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

// Security attributes made from a descriptor text; get() is null when it could not be made.
class FolderSecurity {
 public:
  explicit FolderSecurity(const wchar_t* sddl);
  ~FolderSecurity();
  FolderSecurity(const FolderSecurity&) = delete;
  FolderSecurity& operator=(const FolderSecurity&) = delete;
  const SECURITY_ATTRIBUTES* get() const { return descriptor_ ? &attributes_ : nullptr; }

 private:
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_ = {};
};

// Whether the descriptor lets nobody but Administrators, SYSTEM and the installer service
// create, change or remove anything: the owner is one of them and no other allowed entry
// that applies to the object itself carries a right to write, delete or change its security.
bool DescriptorAllowsOnlyAdministrators(PSECURITY_DESCRIPTOR descriptor);

// The same for an open folder (read through the handle).
bool OnlyAdministratorsCanWrite(HANDLE folder);

// Whether a resolved path lies below one of the Program Files folders.
bool IsBelowProgramFiles(const std::wstring& finalPath);

// Whether users cannot put anything into the folder: below Program Files, or guarded by a
// descriptor that lets only administrators write. Only there may an elevated program leave
// work for the next restart, which follows paths by name.
bool UsersCannotWrite(const GuardedFolder& folder);
