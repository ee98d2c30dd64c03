// Removing an installation, from the same tables and formats the setup writes it with.
#include "payload/uninstaller/removal.h"

#include <shlobj.h>

#include <cwchar>
#include <iterator>
#include <string>

#include "base/folder_security.h"
#include "base/handles.h"
#include "base/path_rules.h"
#include "base/private_folder.h"
#include "base/run_log.h"
#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "integration/associations.h"
#include "integration/file_types.h"
#include "integration/install_paths.h"
#include "integration/registration.h"
#include "integration/registry.h"
#include "integration/shell_links.h"
#include "payload/uninstaller/uninstall_rules.h"

namespace {

constexpr const wchar_t* kDefaultOnly[] = {L"", nullptr};
constexpr const wchar_t* kNoValues[] = {nullptr};
constexpr const wchar_t* kApplicationsEntryValues[] = {L"", L"FriendlyAppName", nullptr};
constexpr const wchar_t* kCapabilitiesValues[] = {L"", L"ApplicationDescription", nullptr};

// A ProgID, the application class and the Applications entry: shell\open\command below.
constexpr OwnedKey kProgIdTree[] = {
    {L"shell\\open\\command", kDefaultOnly}, {L"shell\\open", kDefaultOnly},
    {L"shell", kDefaultOnly},                {L"DefaultIcon", kDefaultOnly},
    {L"", kDefaultOnly},
};
constexpr OwnedKey kApplicationsEntryTree[] = {
    {L"shell\\open\\command", kDefaultOnly}, {L"shell\\open", kDefaultOnly},
    {L"shell", kDefaultOnly},                {L"", kApplicationsEntryValues},
};
constexpr OwnedKey kBrowseVerbTree[] = {{L"command", kDefaultOnly}, {L"", kDefaultOnly}};
constexpr OwnedKey kApplicationKeyTree[] = {
    {L"shell\\open\\command", kDefaultOnly},  {L"shell\\open", kDefaultOnly},
    {L"shell", kDefaultOnly},                 {L"Capabilities\\FileAssociations", nullptr},
    {L"Capabilities", kCapabilitiesValues},   {L"", kDefaultOnly},
};
constexpr OwnedKey kWholeKey[] = {{L"", nullptr}};
constexpr OwnedKey kEmptyKey[] = {{L"", kNoValues}};

constexpr wchar_t kApplicationsKeyFormat[] = L"SOFTWARE\\Classes\\%ls";
constexpr wchar_t kFileExtsKeyFormat[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.%ls";
constexpr size_t kNameChars = 64;
constexpr size_t kValueNameChars = 260;
constexpr wchar_t kSettingsFileName[] = L"lg_show64.ini";
constexpr DWORD kMaxSettingsBytes = 64 * 1024;

template <size_t N>
bool RemoveTree(HKEY root, const wchar_t* top, const OwnedKey (&keys)[N]) {
  return RemoveOwnedTree(root, top, keys, static_cast<int>(N));
}

// What a group of registry removals did, for the full log: keys (or values) removed, and
// those kept because another program holds something in them; each kept one is named.
struct RemovalTally {
  int removed = 0;
  int kept = 0;
  void Count(bool gone, HKEY root, const wchar_t* key) {
    if (gone) {
      ++removed;
      return;
    }
    ++kept;
    LogStep(L"Registrierung behalten (enthält Einträge eines anderen Programms): %ls\\%ls",
            root == HKEY_LOCAL_MACHINE ? L"HKLM" : L"HKCU", key);
  }
  void Log(const wchar_t* group) const {
    LogStep(L"Registrierung entfernt, %ls: %d entfernt, %d behalten", group, removed, kept);
  }
};

bool KeyExists(HKEY root, const wchar_t* key) {
  return static_cast<bool>(OpenKey(root, key, KEY_READ));
}

// A tree that is there is counted removed or kept; a missing one is not counted.
template <size_t N>
void RemoveCountedTree(HKEY root, const wchar_t* top, const OwnedKey (&keys)[N],
                       RemovalTally& tally) {
  if (KeyExists(root, top)) tally.Count(RemoveTree(root, top, keys), root, top);
}

enum class Missing { Say, Skip };

// One deletion in the full log: removed, not there, or staying with the reason (error is
// the last error of the call that failed).
void LogDeletion(const wchar_t* what, const std::wstring& path, FileStatus status, DWORD error,
                 Missing missing = Missing::Say) {
  if (status == FileStatus::Done)
    LogStep(L"%ls entfernt: %ls", what, ShownFolder(path).c_str());
  else if (status != FileStatus::Missing)
    LogStep(L"%ls bleibt: %ls (%ls)", what, ShownFolder(path).c_str(),
            FileStatusReason(status, error).c_str());
  else if (missing == Missing::Say)
    LogStep(L"%ls nicht vorhanden: %ls", what, ShownFolder(path).c_str());
}

// DeleteGuardedFile, logged. Links are looked for in the folders of both scopes, so a
// missing one is only worth a line where the caller says so.
FileStatus DeleteLogged(const GuardedFolder& folder, const wchar_t* name, const wchar_t* what,
                        Missing missing) {
  FileStatus status = DeleteGuardedFile(folder, name);
  DWORD error = GetLastError();
  LogDeletion(what, folder.PathOf(name), status, error, missing);
  return status;
}

bool IsListed(const wchar_t* const* names, const wchar_t* name) {
  if (!names) return true;
  for (; *names; ++names)
    if (_wcsicmp(*names, name) == 0) return true;
  return false;
}

// Whether the open key holds only values named in ours (and no subkey).
bool HoldsOnlyOurs(HKEY key, const wchar_t* const* ours) {
  DWORD subkeys = 0, values = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                       nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  if (subkeys != 0) return false;
  for (DWORD i = 0; i < values; ++i) {
    wchar_t name[kValueNameChars];
    DWORD length = kValueNameChars;
    if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return false;
    if (!IsListed(ours, name)) return false;
  }
  return true;
}

// top\subkey into a MAX_PATH buffer; false when it does not fit.
bool JoinKey(wchar_t* path, const wchar_t* top, const wchar_t* subkey) {
  CopyText(path, kMaxPath, top);
  if (subkey[0] == L'\0') return true;
  return AppendText(path, kMaxPath, L"\\") && AppendText(path, kMaxPath, subkey);
}

bool ReadString(HKEY root, const wchar_t* key, const wchar_t* name, wchar_t* text, DWORD chars) {
  text[0] = L'\0';
  UniqueKey opened = OpenKey(root, key, KEY_QUERY_VALUE);
  if (!opened) return false;
  DWORD type = 0, bytes = (chars - 1) * sizeof(wchar_t);
  LONG result = RegQueryValueExW(opened.get(), name, nullptr, &type,
                                 reinterpret_cast<BYTE*>(text), &bytes);
  if (result != ERROR_SUCCESS || type != REG_SZ) {
    text[0] = L'\0';
    return false;
  }
  text[bytes / sizeof(wchar_t)] = L'\0';
  return true;
}

// One extension: its key and the user's choice only while they still name our ProgID.
void RemoveExtension(const wchar_t* extension, RemovalTally& extensions, RemovalTally& choices) {
  wchar_t key[kMaxPath], progId[kMaxPath];
  swprintf(key, kMaxPath, kExtensionKeyFormat, extension);
  if (ReadString(HKEY_LOCAL_MACHINE, key, L"", progId, kMaxPath)) {
    bool ours = IsOwnProgId(progId);
    if (ours) RemoveValueAndEmptyKey(HKEY_LOCAL_MACHINE, key, L"");
    extensions.Count(ours, HKEY_LOCAL_MACHINE, key);
  }
  swprintf(key, kMaxPath, kUserChoiceKeyFormat, extension);
  if (ReadString(HKEY_CURRENT_USER, key, kProgIdValue, progId, kMaxPath)) {
    bool ours = IsOwnProgId(progId);
    choices.Count(ours, HKEY_CURRENT_USER, key);
    if (!ours) return;
    RemoveValueAndEmptyKey(HKEY_CURRENT_USER, key, kProgIdValue);
    swprintf(key, kMaxPath, kFileExtsKeyFormat, extension);
    RemoveTree(HKEY_CURRENT_USER, key, kEmptyKey);
  }
}

void RemoveProgId(const wchar_t* stem, RemovalTally& tally) {
  wchar_t progId[kNameChars], key[kMaxPath];
  swprintf(progId, kNameChars, kProgIdFormat, kProductName, stem);
  swprintf(key, kMaxPath, kProgIdKeyFormat, progId);
  RemoveCountedTree(HKEY_LOCAL_MACHINE, key, kProgIdTree, tally);
}

void RemoveFileTypes() {
  RemovalTally extensions, choices, progIds;
  for (const FileTypeRow& row : FileTypeTable)
    for (const FileExtension& entry : row.extensions) {
      if (!entry.extension) break;
      RemoveExtension(entry.extension, extensions, choices);
      RemoveProgId(entry.progIdStem, progIds);  // a shared stem is simply gone the second time
    }
  extensions.Log(L"Dateierweiterungen");
  choices.Log(L"Benutzerauswahlen");
  progIds.Log(L"ProgIDs");
  for (const wchar_t* key : kAppXProgIds)
    RemoveValueAndEmptyKey(HKEY_CURRENT_USER, key, kNoOpenWithValue);
}

void RemoveApplicationKeys() {
  RemovalTally tally;
  for (const wchar_t* format : kBrowseVerbKeyFormats) {
    wchar_t key[kMaxPath];
    if (FormatPath(key, format, kBrowseVerb))
      RemoveCountedTree(HKEY_LOCAL_MACHINE, key, kBrowseVerbTree, tally);
  }
  RemoveCountedTree(HKEY_LOCAL_MACHINE, kApplicationClassKey, kProgIdTree, tally);
  // The setup writes the entry through HKEY_CLASSES_ROOT: machine or user classes.
  wchar_t key[kMaxPath];
  swprintf(key, kMaxPath, kApplicationsKeyFormat, kApplicationsEntryKey);
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    RemoveCountedTree(root, key, kApplicationsEntryTree, tally);
  if (UniqueKey registered = OpenKey(HKEY_LOCAL_MACHINE, kRegisteredApplicationsKey, KEY_SET_VALUE))
    if (RegDeleteValueW(registered.get(), kProductName) == ERROR_SUCCESS) ++tally.removed;
  RemoveCountedTree(HKEY_LOCAL_MACHINE, kApplicationKey, kApplicationKeyTree, tally);
  tally.Log(L"Anwendungsschlüssel, Fähigkeiten und Befehl „Durchsuchen mit Lumagrove“");
}

void RemoveGroup(int32_t allUsers) {
  wchar_t path[kMaxPath];
  GetProgramsFolder(allUsers, path);
  if (!AppendText(path, kMaxPath, kProgramGroupName)) return;
  // A group folder that is a link leads elsewhere: nothing in it is ours.
  GuardedFolder group;
  FileStatus opened = GuardedFolder::OpenTop(path, false, group);
  DWORD error = GetLastError();
  if (opened != FileStatus::Done) {
    LogDeletion(L"Startmenügruppe", path, opened, error);
    return;
  }
  wchar_t viewerLink[kNameChars];
  swprintf(viewerLink, kNameChars, kGroupViewerLinkFormat, kVersionMajor, kVersionMinor);
  DeleteLogged(group, viewerLink, L"Verknüpfung", Missing::Skip);
  for (const GroupLink& link : kGroupLinks)
    DeleteLogged(group, link.fileName, L"Verknüpfung", Missing::Skip);
  std::wstring folder = group.Path();
  if (RemoveGuardedFolder(group) == FileStatus::Done)
    LogStep(L"Startmenügruppe entfernt: %ls", ShownFolder(folder).c_str());
  else  // what the user put there stays with it
    LogStep(L"Startmenügruppe bleibt (nicht leer): %ls", ShownFolder(folder).c_str());
}

void RemoveDesktopLinks(int32_t allUsers) {
  wchar_t path[kMaxPath];
  GetDesktopFolder(allUsers, path);
  GuardedFolder desktop;
  FileStatus opened = GuardedFolder::OpenResolved(path, desktop);
  DWORD error = GetLastError();
  if (opened != FileStatus::Done) {
    LogDeletion(L"Desktop", path, opened, error, Missing::Skip);
    return;
  }
  for (const wchar_t* name : {kDesktopViewerLink, kDesktopThumbnailsLink})
    DeleteLogged(desktop, name, L"Verknüpfung", Missing::Skip);
}

bool IsListedLeft(const LeftItems& left, const std::wstring& path) {
  for (const LeftItem& item : left)
    if (_wcsicmp(item.path.c_str(), path.c_str()) == 0) return true;
  return false;
}

void AddLeft(LeftItems& left, const std::wstring& path, FileStatus status) {
  if (status == FileStatus::Done || status == FileStatus::Missing || IsListedLeft(left, path))
    return;
  left.push_back({path, FileStatusText(status)});
}

// The payload folders, each opened guarded once for the files that follow it in the walk.
class PayloadFolders {
 public:
  PayloadFolders(const GuardedFolder& top, LeftItems& left) : top_(top), left_(left) {}

  // The folder of relative (a payload path without its file name; "" is the top), or
  // null when it is missing or refused (a refusal is listed as left).
  const GuardedFolder* Open(const std::wstring& relative) {
    if (relative.empty()) return &top_;
    if (relative != name_) {
      Close();
      name_ = relative;
      status_ = top_.OpenChild(relative.c_str(), false, open_);
      DWORD error = GetLastError();
      AddLeft(left_, PathOf(relative), status_);
      if (status_ != FileStatus::Done && status_ != FileStatus::Missing)
        LogDeletion(L"Verzeichnis", PathOf(relative), status_, error);
    }
    return status_ == FileStatus::Done ? &open_ : nullptr;
  }

  // How the last Open went.
  FileStatus Status() const { return status_; }

  // The folder goes when it is empty; one that holds the user's files stays unlisted.
  void Remove(const std::wstring& relative) {
    Close();  // a pin of ours would stand in the way
    GuardedFolder folder;
    FileStatus status = top_.OpenChild(relative.c_str(), false, folder);
    DWORD error = GetLastError();
    if (status != FileStatus::Done) {
      AddLeft(left_, PathOf(relative), status);
      LogDeletion(L"Verzeichnis", PathOf(relative), status, error);
    } else if (RemoveGuardedFolder(folder) == FileStatus::Done) {
      LogStep(L"Verzeichnis entfernt: %ls", PathOf(relative).c_str());
    } else {
      LogStep(L"Verzeichnis bleibt (nicht leer): %ls", PathOf(relative).c_str());
    }
  }

 private:
  std::wstring PathOf(const std::wstring& relative) const { return top_.PathOf(relative.c_str()); }
  void Close() {
    open_ = GuardedFolder();
    name_.clear();
  }

  const GuardedFolder& top_;
  LeftItems& left_;
  GuardedFolder open_;
  std::wstring name_;
  FileStatus status_ = FileStatus::Missing;
};

void ScheduleDeleteAtRestart(std::wstring path) {
  if (path.size() > 3 && path.back() == L'\\') path.pop_back();
  if (MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) {
    LogStep(L"Zum Löschen beim Neustart vorgemerkt: %ls", path.c_str());
    return;
  }
  wchar_t error[600];
  FormatWin32Error(GetLastError(), error, 600);
  LogStep(L"Löschen beim Neustart nicht vorgemerkt: %ls (%ls)", path.c_str(), error);
}

}  // namespace

bool RemoveOwnedTree(HKEY root, const wchar_t* top, const OwnedKey* keys, int count) {
  bool topGone = true;
  for (int i = 0; i < count; ++i) {
    wchar_t path[kMaxPath];
    if (!JoinKey(path, top, keys[i].subkey)) return false;
    bool ours;
    {
      UniqueKey key = OpenKey(root, path, KEY_READ);
      if (!key) continue;
      ours = HoldsOnlyOurs(key.get(), keys[i].values);
    }
    bool gone = ours && RegDeleteKeyW(root, path) == ERROR_SUCCESS;
    if (keys[i].subkey[0] == L'\0') topGone = gone;
  }
  return topGone;
}

void RemoveValueAndEmptyKey(HKEY root, const wchar_t* key, const wchar_t* value) {
  {
    UniqueKey opened = OpenKey(root, key, KEY_SET_VALUE);
    if (!opened) return;
    RegDeleteValueW(opened.get(), value);
  }
  RemoveTree(root, key, kEmptyKey);
}

bool ReadRegisteredFolder(wchar_t* folder) {
  return ReadString(HKEY_LOCAL_MACHINE, kUninstallKey, kInstallLocationValue, folder, kMaxPath) &&
         folder[0] != L'\0';
}

void RemoveRegistration() {
  RemoveFileTypes();
  RemoveApplicationKeys();
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSHNOWAIT, nullptr, nullptr);
}

void RemoveUninstallEntry() {
  if (!KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey)) return;
  RemovalTally tally;
  tally.Count(RemoveTree(HKEY_LOCAL_MACHINE, kUninstallKey, kWholeKey), HKEY_LOCAL_MACHINE,
              kUninstallKey);
  tally.Log(L"Deinstallationseintrag");
}

void RemoveShellLinks() {
  for (int32_t allUsers : {0, 1}) {
    RemoveGroup(allUsers);
    RemoveDesktopLinks(allUsers);
  }
}

void RemovePayloadFiles(const GuardedFolder& installFolder, const wchar_t* skipName,
                        LeftItems& left) {
  PayloadFolders folders(installFolder, left);
  // Backwards: the files of a folder come after it in the list.
  for (int i = kPayloadEntryCount - 1; i >= 0; --i) {
    std::wstring relative = kPayloadPaths[i];
    if (kPayloadIsFolder[i]) {
      folders.Remove(relative);
      continue;
    }
    if (skipName && _wcsicmp(relative.c_str(), skipName) == 0) continue;
    size_t slash = relative.rfind(L'\\');
    std::wstring name = slash == std::wstring::npos ? relative : relative.substr(slash + 1);
    const GuardedFolder* folder =
        folders.Open(slash == std::wstring::npos ? std::wstring() : relative.substr(0, slash));
    if (folder) {
      AddLeft(left, folder->PathOf(name.c_str()),
              DeleteLogged(*folder, name.c_str(), L"Datei", Missing::Say));
    } else if (folders.Status() == FileStatus::Missing) {
      LogStep(L"Datei nicht vorhanden: %ls", installFolder.PathOf(relative.c_str()).c_str());
    } else {
      LogStep(L"Datei bleibt: %ls (ihr Verzeichnis wurde nicht verwendet)",
              installFolder.PathOf(relative.c_str()).c_str());
    }
  }
}

void RemoveSettingsPointer(const GuardedFolder& installFolder, LeftItems& left) {
  std::string bytes;
  std::wstring path = installFolder.PathOf(kSettingsFileName);
  FileStatus read = ReadWholeFile(installFolder, kSettingsFileName, bytes, kMaxSettingsBytes);
  if (read != FileStatus::Done) {
    if (read != FileStatus::Missing)
      LogStep(L"Einstellungsdatei bleibt: %ls (%ls)", path.c_str(),
              FileStatusReason(read, GetLastError()).c_str());
    return;
  }
  if (!IsOnlySettingsPointer(bytes.data(), bytes.size())) {
    LogStep(L"Einstellungsdatei bleibt (enthält Einstellungen): %ls", path.c_str());
    return;
  }
  AddLeft(left, path,
          DeleteLogged(installFolder, kSettingsFileName,
                       L"Einstellungsdatei (Verweis auf das Einstellungsverzeichnis)",
                       Missing::Say));
}

ProgramRemoval RemoveRunningProgram(const GuardedFolder& installFolder, const wchar_t* name) {
  PrivateFolder aside;
  if (aside.Create() == FileStatus::Done &&
      MoveGuardedFile(installFolder, name, aside.Folder(), name) == FileStatus::Done) {
    std::wstring folder = aside.Folder().Path(), file = aside.Folder().PathOf(name);
    LogStep(L"Eigene Datei %ls verschoben nach %ls", installFolder.PathOf(name).c_str(),
            file.c_str());
    bool deleted = DeleteGuardedFile(aside.Folder(), name) == FileStatus::Done;
    if (deleted) LogStep(L"Eigene Datei gelöscht: %ls", file.c_str());
    if (!deleted) ScheduleDeleteAtRestart(file);
    if (deleted && aside.Remove() == FileStatus::Done) return ProgramRemoval::Gone;
    // A running program's file stays until it ends (on Windows until the next start); the
    // folder goes at the next start, where only administrators can reach it meanwhile.
    ScheduleDeleteAtRestart(folder);
    aside.Keep();
    return ProgramRemoval::Gone;
  }
  // Not movable (another volume): a delete at the next start follows the path by name.
  if (!UsersCannotWrite(installFolder)) {
    LogStep(L"Eigene Datei bleibt: %ls (nicht verschiebbar, und Benutzer können in ihr "
            L"Verzeichnis schreiben)",
            installFolder.PathOf(name).c_str());
    return ProgramRemoval::Stays;
  }
  ScheduleDeleteAtRestart(installFolder.PathOf(name));
  return ProgramRemoval::AtRestart;
}

void RemoveFolderIfEmpty(GuardedFolder& folder, bool atRestart) {
  bool mayWaitForRestart = atRestart && UsersCannotWrite(folder);
  std::wstring path = folder.Path();
  if (RemoveGuardedFolder(folder) == FileStatus::Done) {
    LogStep(L"Installationsverzeichnis entfernt: %ls", ShownFolder(path).c_str());
    return;
  }
  if (!mayWaitForRestart) {
    LogStep(L"Installationsverzeichnis bleibt (nicht leer): %ls", ShownFolder(path).c_str());
    return;
  }
  // Left until the program in it is gone; Windows removes it then only when it is empty.
  ScheduleDeleteAtRestart(path);
}
