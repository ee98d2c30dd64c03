// Registering the installed viewer: links, browse verb, application keys, uninstall entry,
// file types and the shell refresh, always in this order.
#include "integration/registration.h"

#include <windows.h>

#include <cwchar>

#include "base/run_log.h"
#include "base/text_rules.h"
#include "integration/associations.h"
#include "integration/install_paths.h"
#include "integration/registry.h"
#include "integration/shell_links.h"
#include "integration/web_pages.h"
#include "resources/resource_ids.h"

namespace {

constexpr wchar_t kCommandSubkey[] = L"\\command";

constexpr wchar_t kApplicationClassCommandKey[] = L"SOFTWARE\\Classes\\Lumagrove\\shell\\open\\command";
constexpr wchar_t kApplicationClassIconKey[] = L"SOFTWARE\\Classes\\Lumagrove\\DefaultIcon";
constexpr wchar_t kApplicationsCommandKey[] = L"Applications\\lg_show64.exe\\shell\\open\\command";
constexpr wchar_t kFriendlyAppNameValue[] = L"FriendlyAppName";
constexpr wchar_t kFriendlyAppName[] = L"Lumagrove 64-bit";

constexpr wchar_t kDisplayNameValue[] = L"DisplayName";
constexpr wchar_t kUninstallStringValue[] = L"UninstallString";
constexpr wchar_t kPublisherValue[] = L"Publisher";
constexpr wchar_t kDisplayVersionValue[] = L"DisplayVersion";
constexpr wchar_t kDisplayIconValue[] = L"DisplayIcon";
constexpr wchar_t kVersionMajorValue[] = L"VersionMajor";
constexpr wchar_t kVersionMinorValue[] = L"VersionMinor";
constexpr wchar_t kEstimatedSizeValue[] = L"EstimatedSize";
constexpr wchar_t kQuietUninstallStringValue[] = L"QuietUninstallString";
constexpr wchar_t kInstallDateValue[] = L"InstallDate";
constexpr wchar_t kUrlInfoAboutValue[] = L"URLInfoAbout";
constexpr wchar_t kHelpLinkValue[] = L"HelpLink";
constexpr wchar_t kNoModifyValue[] = L"NoModify";
constexpr wchar_t kNoRepairValue[] = L"NoRepair";
constexpr wchar_t kPublisher[] = L"Vestalor";
constexpr DWORD kEstimatedSizeKb = 7168;

constexpr wchar_t kApplicationCommandKey[] = L"SOFTWARE\\Lumagrove\\shell\\open\\command";
constexpr wchar_t kApplicationDescriptionValue[] = L"ApplicationDescription";
constexpr wchar_t kApplicationDescription[] =
    L"Picture viewer, editor and converter - one of the most popular viewers worldwide";

// The "Durchsuchen mit &Lumagrove" verb of folders and drives, with its command.
void WriteBrowseVerbs(const wchar_t* viewerExePath) {
  wchar_t command[kMaxPath];
  if (!FormatPath(command, kBrowseCommandFormat, viewerExePath)) return;
  RegistryTally tally;
  for (const wchar_t* format : kBrowseVerbKeyFormats) {
    wchar_t key[kMaxPath];
    if (!FormatPath(key, format, kBrowseVerb)) continue;
    tally.SetDefault(HKEY_LOCAL_MACHINE, key, kBrowseVerb);
    if (AppendText(key, kMaxPath, kCommandSubkey))
      tally.SetDefault(HKEY_LOCAL_MACHINE, key, command);
  }
  tally.LogGroup(L"Registrierung Befehl „Durchsuchen mit Lumagrove“ (Ordner und Laufwerke)");
}

void RegisterApplicationClass(const wchar_t* openCommand) {
  RegistryTally tally;
  tally.SetDefault(HKEY_LOCAL_MACHINE, kApplicationClassKey, kProductName);
  tally.SetDefault(HKEY_LOCAL_MACHINE, kApplicationClassCommandKey, openCommand);
  DeleteKey(HKEY_LOCAL_MACHINE, kApplicationClassIconKey);
  tally.SetDefault(HKEY_CLASSES_ROOT, kApplicationsCommandKey, openCommand);
  UniqueKey entry = OpenKey(HKEY_CLASSES_ROOT, kApplicationsEntryKey, KEY_ALL_ACCESS);
  tally.Count(entry && SetNamedString(entry.get(), kFriendlyAppNameValue, kFriendlyAppName),
              HKEY_CLASSES_ROOT, kApplicationsEntryKey, kFriendlyAppNameValue);
  tally.LogGroup(L"Registrierung Anwendungsklasse (HKLM\\SOFTWARE\\Classes\\Lumagrove, "
                 L"HKCR\\Applications\\lg_show64.exe)");
}

// One value of the uninstall entry: a string, or a number when text is null.
struct UninstallValue {
  const wchar_t* name;
  const wchar_t* text;
  DWORD number;
};

void WriteUninstallEntry(const InstallStrings& strings) {
  RegistryTally tally;
  tally.SetDefault(HKEY_LOCAL_MACHINE, kUninstallKey, L"");
  wchar_t displayName[64];
  swprintf(displayName, 64, L"Lumagrove %d.%d", kVersionMajor, kVersionMinor);
  AppendText(displayName, 64, L" (64-bit)");
  wchar_t displayVersion[16];
  swprintf(displayVersion, 16, L"%d.%d", kVersionMajor, kVersionMinor);
  wchar_t uninstallString[kMaxPath];
  wchar_t quietUninstallString[kMaxPath];
  wchar_t displayIcon[kMaxPath];
  if (!FormatPath(uninstallString, kUninstallStringFormat, strings.installFolder) ||
      !FormatPath(quietUninstallString, kQuietUninstallStringFormat, strings.installFolder) ||
      !FormatPath(displayIcon, kViewerIcon0Format, strings.viewerExePath)) {
    LogStep(L"Deinstallationseintrag nicht geschrieben: Pfade zu lang");
    return;
  }
  // The local date of this run, as the Programs control panel reads it: yyyymmdd.
  SYSTEMTIME today;
  GetLocalTime(&today);
  wchar_t installDate[16];
  swprintf(installDate, 16, L"%04u%02u%02u", today.wYear, today.wMonth, today.wDay);

  const UninstallValue values[] = {
      {kDisplayNameValue, displayName, 0},
      {kUninstallStringValue, uninstallString, 0},
      {kPublisherValue, kPublisher, 0},
      {kInstallLocationValue, strings.installFolder, 0},
      {kDisplayVersionValue, displayVersion, 0},
      {kDisplayIconValue, displayIcon, 0},
      {kVersionMajorValue, nullptr, kVersionMajor},
      {kVersionMinorValue, nullptr, kVersionMinor},
      {kEstimatedSizeValue, nullptr, kEstimatedSizeKb},
      {kQuietUninstallStringValue, quietUninstallString, 0},
      {kInstallDateValue, installDate, 0},
      {kUrlInfoAboutValue, kAboutUrl, 0},
      {kHelpLinkValue, kFaqUrl, 0},
      // The uninstaller can only remove: no "Change" or "Repair" in the control panel.
      {kNoModifyValue, nullptr, 1},
      {kNoRepairValue, nullptr, 1},
  };
  UniqueKey key = OpenKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS);
  for (const UninstallValue& value : values) {
    bool ok = key && (value.text ? SetNamedString(key.get(), value.name, value.text)
                                 : SetNamedDword(key.get(), value.name, value.number));
    tally.Count(ok, HKEY_LOCAL_MACHINE, kUninstallKey, value.name);
  }
  tally.LogGroup(L"Registrierung Deinstallationseintrag HKLM\\SOFTWARE\\Microsoft\\Windows\\"
                 L"CurrentVersion\\Uninstall\\Lumagrove64");
  LogStep(L"Deinstallationseintrag QuietUninstallString: %ls", quietUninstallString);
}

// The application key with its run command and the Default Programs capabilities.
void RegisterCapabilities(const wchar_t* viewerExePath) {
  RegistryTally tally;
  CreateKey(HKEY_LOCAL_MACHINE, kApplicationKey);  // made and closed at once
  wchar_t runCommand[kMaxPath];
  if (FormatPath(runCommand, kQuotedViewerFormat, viewerExePath))
    tally.SetDefault(HKEY_LOCAL_MACHINE, kApplicationCommandKey, runCommand);
  UniqueKey capabilities = CreateKey(HKEY_LOCAL_MACHINE, kCapabilitiesKey);
  tally.Count(capabilities && SetNamedString(capabilities.get(), kApplicationDescriptionValue,
                                             kApplicationDescription),
              HKEY_LOCAL_MACHINE, kCapabilitiesKey, kApplicationDescriptionValue);
  CreateKey(HKEY_LOCAL_MACHINE, kFileAssociationsKey);
  // Only registered where Windows keeps the list; the key is never made here.
  UniqueKey registered = OpenKey(HKEY_LOCAL_MACHINE, kRegisteredApplicationsKey, KEY_SET_VALUE);
  if (registered)
    tally.Count(SetNamedString(registered.get(), kProductName, kCapabilitiesKey),
                HKEY_LOCAL_MACHINE, kRegisteredApplicationsKey, kProductName);
  tally.LogGroup(L"Registrierung Anwendung und Fähigkeiten (HKLM\\SOFTWARE\\Lumagrove)");
  LogStep(registered ? L"RegisteredApplications: Lumagrove eingetragen"
                     : L"RegisteredApplications: Schlüssel nicht vorhanden, nicht eingetragen");
}

}  // namespace

bool ReadRegisteredVersion(wchar_t* version, size_t capacity) {
  if (capacity == 0) return false;
  version[0] = L'\0';
  UniqueKey key = OpenKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_QUERY_VALUE);
  return key && ReadNamedString(key.get(), kDisplayVersionValue, version,
                                static_cast<DWORD>(capacity));
}

bool TargetFolderFits(const wchar_t* targetFolder) {
  wchar_t installFolder[kLongPath];
  return MakeInstallFolder(targetFolder, installFolder) <= kLongestInstallFolder;
}

void IntegrateWithSystem(int32_t associationMode, const wchar_t* targetFolder,
                         int32_t startMenuShortcuts, int32_t desktopShortcut,
                         int32_t thumbnailsShortcut, int32_t allUsers,
                         const int32_t* associationSelection) {
  // A folder too long for the paths below would leave cut paths in links and keys.
  InstallStrings strings;
  if (!BuildInstallStrings(targetFolder, strings)) {
    LogStep(L"Verknüpfungen und Registrierung übersprungen: Pfade zu lang");
    return;
  }

  if (startMenuShortcuts) CreateProgramGroup(strings.installFolder, allUsers);
  if (desktopShortcut) CreateDesktopViewerLink(strings.viewerExePath, allUsers);
  if (thumbnailsShortcut) {
    CreateDesktopThumbnailsLink(strings.viewerExePath, allUsers);
    WriteBrowseVerbs(strings.viewerExePath);
  }
  ReportProgressStep(IDS_STEP_FILE_TYPES);
  RegisterApplicationClass(strings.openCommand);
  WriteUninstallEntry(strings);
  RegisterCapabilities(strings.viewerExePath);
  RegisterFileTypes(strings.viewerExePath, strings.openCommand, associationSelection);
  RefreshShellAssociations(associationMode);
}
