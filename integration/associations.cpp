// Writing the file associations of the viewer's file types.
#include "integration/associations.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include "base/run_log.h"
#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "integration/file_types.h"
#include "integration/install_paths.h"
#include "integration/registry.h"

namespace {

constexpr wchar_t kOwnIcon[] = L"%1";

// Taken over on every installation, selected or not.
constexpr const wchar_t* kAlwaysTakenOver[] = {L"JPG", L"PNG", L"TIF"};

// Extensions and stems are short table texts, so these buffers never fill.
constexpr size_t kNameChars = 64;

void MakeProgId(wchar_t* progId, const wchar_t* stem) {
  swprintf(progId, kNameChars, kProgIdFormat, kProductName, stem);
}

bool IsAlwaysTakenOver(const wchar_t* extension) {
  for (const wchar_t* name : kAlwaysTakenOver)
    if (_wcsicmp(extension, name) == 0) return true;
  return false;
}

void MakeTypeName(wchar_t* typeName, const wchar_t* stem) {
  wchar_t upper[kNameChars];
  size_t n = 0;
  for (; stem[n] != L'\0' && n + 1 < kNameChars; ++n)
    upper[n] = stem[n] >= L'a' && stem[n] <= L'z' ? stem[n] - L'a' + L'A' : stem[n];
  upper[n] = L'\0';
  swprintf(typeName, kNameChars, L"%ls %ls File", kProductName, upper);
}

void TakeOverUserChoice(const wchar_t* extension, const wchar_t* progId, RegistryTally& tally) {
  wchar_t key[kMaxPath];
  swprintf(key, kMaxPath, kUserChoiceKeyFormat, extension);
  // A fresh key: whatever else the old choice held goes with it.
  DeleteKey(HKEY_CURRENT_USER, key);
  UniqueKey choice = CreateKey(HKEY_CURRENT_USER, key);
  tally.Count(choice && SetNamedString(choice.get(), kProgIdValue, progId), HKEY_CURRENT_USER, key,
              kProgIdValue);
}

const wchar_t* DefaultIconFor(IconSource source, const wchar_t* icon0, const wchar_t* icon8,
                              const wchar_t* icon9) {
  switch (source) {
    case IconSource::Viewer0: return icon0;
    case IconSource::Viewer8: return icon8;
    case IconSource::Viewer9: return icon9;
    case IconSource::Own: return kOwnIcon;
  }
  return icon0;
}

}  // namespace

void AddCapabilityAssociation(const wchar_t* extension, const wchar_t* progIdStem,
                              RegistryTally* tally) {
  UniqueKey key = OpenKey(HKEY_LOCAL_MACHINE, kFileAssociationsKey, KEY_SET_VALUE);
  if (!key) return;
  wchar_t name[kNameChars];
  swprintf(name, kNameChars, L".%ls", extension);
  wchar_t progId[kNameChars];
  MakeProgId(progId, progIdStem);
  bool ok = SetNamedString(key.get(), name, progId);
  if (tally) tally->Count(ok, HKEY_LOCAL_MACHINE, kFileAssociationsKey, name);
}

void WriteFileAssociation(const wchar_t* extension, const wchar_t* progIdStem,
                          const wchar_t* command, const wchar_t* defaultIcon, int32_t selected,
                          RegistryTally* tally) {
  RegistryTally unused;
  RegistryTally& count = tally ? *tally : unused;
  wchar_t progId[kNameChars];
  MakeProgId(progId, progIdStem);
  wchar_t key[kMaxPath];
  if (selected || IsAlwaysTakenOver(extension)) {
    swprintf(key, kMaxPath, kExtensionKeyFormat, extension);
    count.SetDefault(HKEY_LOCAL_MACHINE, key, progId);
  }
  wchar_t typeName[kNameChars];
  MakeTypeName(typeName, progIdStem);
  swprintf(key, kMaxPath, kProgIdKeyFormat, progId);
  count.SetDefault(HKEY_LOCAL_MACHINE, key, typeName);
  swprintf(key, kMaxPath, kProgIdCommandKeyFormat, progId);
  count.SetDefault(HKEY_LOCAL_MACHINE, key, command);
  swprintf(key, kMaxPath, kProgIdIconKeyFormat, progId);
  count.SetDefault(HKEY_LOCAL_MACHINE, key, defaultIcon);
  AddCapabilityAssociation(extension, progIdStem, &count);
  if (selected) TakeOverUserChoice(extension, progId, count);
}

void RegisterFileTypes(const wchar_t* viewerExePath, const wchar_t* openCommand,
                       const int32_t* associationSelection) {
  wchar_t icon0[kMaxPath], icon8[kMaxPath], icon9[kMaxPath];
  if (!FormatPath(icon0, kViewerIcon0Format, viewerExePath) ||
      !FormatPath(icon8, kViewerIcon8Format, viewerExePath) ||
      !FormatPath(icon9, kViewerIcon9Format, viewerExePath)) {
    LogStep(L"Dateitypen nicht registriert: Pfade zu lang");
    return;
  }
  RegistryTally tally;
  int extensions = 0, takenOver = 0, userChoices = 0;
  for (int row = 0; row < kFileTypeRowCount; ++row) {
    const FileTypeRow& type = FileTypeTable[row];
    const wchar_t* icon = DefaultIconFor(type.iconSource, icon0, icon8, icon9);
    for (const FileExtension& entry : type.extensions) {
      if (!entry.extension) break;
      WriteFileAssociation(entry.extension, entry.progIdStem, openCommand, icon,
                           associationSelection[row], &tally);
      ++extensions;
      if (associationSelection[row] || IsAlwaysTakenOver(entry.extension)) ++takenOver;
      if (associationSelection[row]) ++userChoices;
    }
  }
  // One line for the group: a line per extension would bury the rest of the log, and a
  // failed write is named on a line of its own anyway.
  wchar_t group[200];
  swprintf(group, 200,
           L"Registrierung Dateitypen (%d Zeilen, %d Erweiterungen mit ProgID und Fähigkeit, "
           L"davon %d auf Lumagrove gesetzt, %d Benutzerauswahlen übernommen)",
           kFileTypeRowCount, extensions, takenOver, userChoices);
  tally.LogGroup(group);
}

void DisableAppXOpenWith() {
  RegistryTally tally;
  for (const wchar_t* progId : kAppXProgIds) {
    UniqueKey key = CreateKey(HKEY_CURRENT_USER, progId);
    tally.Count(key && SetNamedString(key.get(), kNoOpenWithValue, L""), HKEY_CURRENT_USER, progId,
                kNoOpenWithValue);
  }
  tally.LogGroup(L"Registrierung NoOpenWith der Foto-Apps");
}

void RefreshShellAssociations(int32_t associationMode) {
  if (!associationMode) return;
  if (IsWindowsVersionAtLeast(2)) DisableAppXOpenWith();
  SystemParametersInfoW(SPI_SETICONS, 0, nullptr, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE);
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSHNOWAIT, nullptr, nullptr);
  LogStep(L"Shell über die geänderten Dateitypen benachrichtigt");
}
