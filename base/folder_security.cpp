#include "base/folder_security.h"

#include <aclapi.h>
#include <sddl.h>

#include "base/handles.h"
#include "base/path_rules.h"
#include "base/system_helpers.h"
#include "base/text_rules.h"

namespace {

// Rights that let their holder put, change or remove something in a folder or change who
// may: any one of them in the hands of a user is enough to plant a file or a link.
constexpr ACCESS_MASK kChangingRights =
    FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
    FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL |
    MAXIMUM_ALLOWED;

// Administrators, SYSTEM and the installer service (NT SERVICE\TrustedInstaller).
bool IsAdministrativeSid(PSID sid) {
  if (!sid || !IsValidSid(sid)) return false;
  if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid))
    return true;
  PSID installer = nullptr;
  if (!ConvertStringSidToSidW(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
                              &installer))
    return false;
  bool same = EqualSid(sid, installer) != FALSE;
  LocalFree(installer);
  return same;
}

bool AclAllowsOnlyAdministrators(PACL acl) {
  if (!acl) return false;  // no DACL: everyone may do everything
  ACL_SIZE_INFORMATION size = {};
  if (!GetAclInformation(acl, &size, sizeof(size), AclSizeInformation)) return false;
  for (DWORD i = 0; i < size.AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(acl, i, &ace)) return false;
    auto* header = static_cast<ACE_HEADER*>(ace);
    if (header->AceFlags & INHERIT_ONLY_ACE) continue;  // for children, checked there
    if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;  // an entry we cannot judge
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    if ((allowed->Mask & kChangingRights) == 0) continue;
    if (!IsAdministrativeSid(&allowed->SidStart)) return false;
  }
  return true;
}

bool ProgramFilesFinalPath(const wchar_t* value, std::wstring& finalPath) {
  wchar_t folder[kMaxPath];
  if (!ReadMachineString(L"Software\\Microsoft\\Windows\\CurrentVersion", value, folder, kMaxPath))
    return false;
  UniqueHandle handle(CreateFileW(folder, FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle) return false;
  wchar_t resolved[kLongPath];
  DWORD n = GetFinalPathNameByHandleW(handle.get(), resolved, kLongPath,
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= kLongPath) return false;
  finalPath = PlainFinalPath(resolved);
  return true;
}

}  // namespace

FolderSecurity::FolderSecurity(const wchar_t* sddl) {
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor_,
                                                            nullptr))
    descriptor_ = nullptr;
  attributes_.nLength = sizeof(attributes_);
  attributes_.lpSecurityDescriptor = descriptor_;
  attributes_.bInheritHandle = FALSE;
}

FolderSecurity::~FolderSecurity() {
  if (descriptor_) LocalFree(descriptor_);
}

bool DescriptorAllowsOnlyAdministrators(PSECURITY_DESCRIPTOR descriptor) {
  if (!descriptor) return false;
  PSID owner = nullptr;
  BOOL ownerDefaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &ownerDefaulted) || !IsAdministrativeSid(owner))
    return false;  // an owner may always rewrite the rules
  BOOL present = FALSE, defaulted = FALSE;
  PACL acl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted) || !present) return false;
  return AclAllowsOnlyAdministrators(acl);
}

bool OnlyAdministratorsCanWrite(HANDLE folder) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                      nullptr, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  bool only = DescriptorAllowsOnlyAdministrators(descriptor);
  LocalFree(descriptor);
  return only;
}

bool IsBelowProgramFiles(const std::wstring& finalPath) {
  for (const wchar_t* value : {L"ProgramFilesDir", L"ProgramW6432Dir", L"ProgramFilesDir (x86)"}) {
    std::wstring programFiles;
    if (ProgramFilesFinalPath(value, programFiles) && IsPathBelow(finalPath, programFiles))
      return true;
  }
  return false;
}

bool UsersCannotWrite(const GuardedFolder& folder) {
  return folder.IsOpen() &&
         (IsBelowProgramFiles(folder.FinalPath()) || OnlyAdministratorsCanWrite(folder.Handle()));
}
