#include "engine/viewer_settings.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "base/folder_tree.h"
#include "base/handles.h"
#include "base/path_rules.h"
#include "base/private_folder.h"
#include "base/run_log.h"
#include "base/safe_files.h"
#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "engine/install_options.h"
#include "engine/settings_rules.h"
#include "resources/resource_ids.h"

namespace {

constexpr wchar_t kSettingsName[] = L"lg_show64.ini";
// The copies in the work folder.
constexpr wchar_t kProgramCopy[] = L"program.ini";
constexpr wchar_t kSettingsCopy[] = L"settings.ini";
constexpr wchar_t kUnicodeHeader[] = L"; UNICODE FILE - edit with care ;-)\r\n\r\n";
constexpr size_t kPieceBytes = 2047;

class ProcessEnvironment final : public EnvironmentLookup {
 public:
  bool Get(const std::wstring& name, std::wstring& value) const override {
    DWORD needed = GetEnvironmentVariableW(name.c_str(), nullptr, 0);
    if (needed == 0) return false;
    value.resize(needed);
    DWORD got = GetEnvironmentVariableW(name.c_str(), value.data(), needed);
    if (got == 0 || got >= needed) return false;
    value.resize(got);
    return true;
  }
};

// Only copies in the work folder are ever named here; an empty name is a file that is not
// to be written (a bare or empty name would reach the Windows folder).
void WriteKey(const std::wstring& file, const wchar_t* section, const wchar_t* key,
              const wchar_t* value) {
  if (!file.empty()) WritePrivateProfileStringW(section, key, value, file.c_str());
}

// The display's scale in percent (100 without a display context) and the height of a
// full-screen window's client area.
ToolbarSkin SkinForScreen() {
  int scale = 100;
  ScreenDC dc;
  if (dc.get()) scale = GetDeviceCaps(dc.get(), LOGPIXELSX) * 100 / 96;
  return ChooseToolbarSkin(GetSystemMetrics(SM_CYFULLSCREEN), scale);
}

// The settings file path for a folder; a folder that expanded to nothing means the current
// folder, which the private-profile functions only reach through ".\" (a bare name would
// land in the Windows folder).
void SettingsFileIn(const wchar_t* folder, wchar_t* settingsFile) {
  swprintf(settingsFile, kLongPath, L"%ls%ls", folder[0] ? folder : L".\\", kSettingsName);
}

bool IsRefusal(FileStatus status) { return status == FileStatus::Link || status == FileStatus::Outside; }

// "message: path reason" in the full log, and in the problem log of a silent run.
void NoteRefusal(int silentMode, unsigned messageId, std::wstring path, FileStatus why) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  wchar_t message[kLongPath];
  LoadResourceString(messageId, message, kLongPath);
  std::wstring text = std::wstring(message) + L": " + path + L" " + FileStatusText(why);
  LogStep(L"Einstellungen: %ls", text.c_str());
  if (silentMode) WriteProblemLog(text.c_str());
}

void NoteUnchanged(const GuardedFolder& home, FileStatus why, DWORD error) {
  LogStep(L"Einstellungsdatei bleibt unverändert: %ls (%ls)", home.PathOf(kSettingsName).c_str(),
          FileStatusReason(why, error).c_str());
}

// Where the profile functions work. An elevated run cannot use a folder the user could
// reach; a run that is not elevated cannot make the protected one, and loses nothing to
// the user's own programs in the user's temporary folder.
bool OpenWorkFolder(PrivateFolder& work) {
  return work.Create() == FileStatus::Done || work.CreateForUser() == FileStatus::Done;
}

// Copies the settings file into the work folder. A missing file gives no copy: the
// profile functions make a new one.
FileStatus BringIn(const GuardedFolder& home, const PrivateFolder& work, const wchar_t* copyName) {
  std::string bytes;
  FileStatus status = ReadWholeFile(home, kSettingsName, bytes);
  if (status == FileStatus::Missing) return FileStatus::Done;
  if (status != FileStatus::Done) return status;
  return WriteWholeFile(work.Folder(), copyName, bytes.data(), static_cast<DWORD>(bytes.size()));
}

// Puts the copy, as the profile functions left it, in place of the settings file; a link
// there is replaced itself, never written through. what names the file in the full log.
void PutBack(const GuardedFolder& home, const PrivateFolder& work, const wchar_t* copyName,
             const wchar_t* what) {
  std::wstring copy = work.Folder().PathOf(copyName);
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, copy.c_str());  // flushes a cached copy
  std::string bytes;
  if (ReadWholeFile(work.Folder(), copyName, bytes) != FileStatus::Done) return;  // none made
  FileStatus status =
      WriteWholeFile(home, kSettingsName, bytes.data(), static_cast<DWORD>(bytes.size()));
  DWORD error = GetLastError();
  std::wstring path = home.PathOf(kSettingsName);
  if (status == FileStatus::Done)
    LogStep(L"%ls geschrieben: %ls", what, path.c_str());
  else
    LogStep(L"%ls nicht geschrieben: %ls (%ls)", what, path.c_str(),
            FileStatusReason(status, error).c_str());
}

class SettingsFolderMaker final : public FolderMaker {
 public:
  explicit SettingsFolderMaker(GuardedFolder& folder) : folder_(folder) {}
  bool Make(const wchar_t* path) override {
    if (folder_.IsOpen()) return true;
    return GuardedFolder::OpenTop(path, true, folder_) == FileStatus::Done;
  }

 private:
  GuardedFolder& folder_;
};

// The settings folder as the top of a guarded tree, made when missing; expanded (520) is
// rewritten as CreateFolderTree leaves it. Empty means the current folder.
FileStatus OpenSettingsFolder(wchar_t* expanded, GuardedFolder& folder) {
  if (expanded[0] == L'\0') return GuardedFolder::OpenTop(L".", false, folder);
  SettingsFolderMaker maker(folder);
  if (!CreateFolderTree(expanded, maker)) return FileStatus::Failed;
  if (folder.IsOpen()) return FileStatus::Done;
  return GuardedFolder::OpenTop(expanded, false, folder);
}

// OpenSettingsFolder, with what came of it in the logs; true when the folder can be used.
bool UseSettingsFolder(wchar_t* expanded, int silentMode, GuardedFolder& settings) {
  FileStatus status = OpenSettingsFolder(expanded, settings);
  DWORD error = GetLastError();
  if (IsRefusal(status)) {
    NoteRefusal(silentMode, IDS_SETTINGS_FOLDER_REFUSED, expanded, status);
  } else if (status != FileStatus::Done) {
    LogStep(L"Einstellungsverzeichnis nicht verwendbar: %ls (%ls); die Einstellungen bleiben "
            L"im Programmverzeichnis",
            ShownFolder(expanded).c_str(), FileStatusReason(status, error).c_str());
  } else {
    LogStep(settings.Created() ? L"Einstellungsverzeichnis erstellt: %ls"
                               : L"Einstellungsverzeichnis vorhanden: %ls",
            ShownFolder(expanded).c_str());
  }
  return status == FileStatus::Done;
}

// The keys, written into the copies: programCopy for the program folder's file,
// settingsCopy for the file the viewer uses (the same one without a settings folder).
void WriteKeys(const std::wstring& programCopy, const std::wstring& settingsCopy,
               const wchar_t* iniFolder, bool useIniFolder, const wchar_t* settingsFile) {
  std::wstring pointerIni;
  if (useIniFolder) {
    pointerIni = programCopy;
    WriteKey(programCopy, L"Others", L"INI_Folder", iniFolder);
  } else {
    WriteKey(programCopy, L"Others", L"INI_Folder", nullptr);
  }

  bool packaged = useIniFolder && IsPackagedLayout(iniFolder, settingsFile);
  WriteKey(settingsCopy, L"Language", L"DLL", L"DEUTSCH.DLL");
  WriteKey(settingsCopy, L"Language", L"Lang", L"Deutsch");
  if (packaged) {
    WriteKey(pointerIni, L"Language", L"DefaultLang", L"DEUTSCH.DLL");
    WriteKey(pointerIni, L"Language", L"Lang", L"Deutsch");
  }

  if (settingsCopy.empty()) return;
  wchar_t skin[kMaxPath] = {};
  GetPrivateProfileStringW(L"Toolbar", L"Skin", L"", skin, kMaxPath, settingsCopy.c_str());
  if (skin[0] != L'\0') return;  // the user's choice stays, in both files
  ToolbarSkin chosen = SkinForScreen();
  WriteKey(settingsCopy, L"Toolbar", L"Skin", chosen.skin);
  WriteKey(settingsCopy, L"Toolbar", L"Size", chosen.size);
  if (packaged) {
    WriteKey(pointerIni, L"Toolbar", L"Skin", L"Hallvik_24.png");
    WriteKey(pointerIni, L"Toolbar", L"Size", L"24");
  }
}

// Reads up to kPieceBytes bytes from at, stopping after a line feed; returns the count.
size_t NextPiece(const std::string& source, size_t at) {
  size_t n = 0;
  while (n < kPieceBytes && at + n < source.size()) {
    if (source[at + n++] == '\n') break;
  }
  return n;
}

// The file's text in UTF-16 after the header, converted line by line as the viewer's own
// reader would; false when a piece does not convert. pieces counts the pieces.
bool ConvertToUnicode(const std::string& source, std::wstring& out, int& pieces) {
  out = L"\xFEFF";
  out += kUnicodeHeader;
  pieces = 0;
  wchar_t wide[kPieceBytes + 1];
  for (size_t at = 0, n; (n = NextPiece(source, at)) > 0; at += n, ++pieces) {
    int count = MultiByteToWideChar(CP_ACP, 0, source.data() + at, static_cast<int>(n), wide,
                                    kPieceBytes + 1);
    if (count <= 0) return false;
    out.append(wide, static_cast<size_t>(count));
  }
  return true;
}

}  // namespace

void WriteViewerSettings(const wchar_t* targetFolder, wchar_t* iniFolder, int silentMode,
                         wchar_t* settingsFile) {
  wchar_t folder[kLongPath];
  CopyText(folder, kLongPath, targetFolder);
  TrimBlanks(folder);
  AppendBackslash(folder, kLongPath);
  swprintf(settingsFile, kLongPath, L"%ls%ls", folder, kSettingsName);

  if (silentMode && iniFolder[0] == L'\0') {
    wchar_t defaultFolder[kLongPath];
    GetDefaultInstallFolder(defaultFolder);
    if (Contains(targetFolder, defaultFolder)) CopyText(iniFolder, kLongPath, kDefaultIniFolder);
  }

  wchar_t expanded[kLongPath] = {};
  // A folder whose expansion does not fit, that cannot be created, or that is refused
  // cannot be the settings folder: the settings then stay in the program folder, without a
  // pointer that would lead the viewer to a file nobody could write.
  bool useIniFolder = iniFolder[0] != L'\0' &&
                      ExpandEnvironmentNames(iniFolder, expanded, kLongPath, ProcessEnvironment());
  if (iniFolder[0] != L'\0' && !useIniFolder)
    LogStep(L"Einstellungsverzeichnis nicht einsetzbar (eine Variable fehlt, oder es ist zu lang): "
            L"%ls; die Einstellungen bleiben im Programmverzeichnis",
            iniFolder);
  GuardedFolder settings;
  if (useIniFolder) useIniFolder = UseSettingsFolder(expanded, silentMode, settings);
  GuardedFolder program;
  GuardedFolder::OpenTop(folder, false, program);
  PrivateFolder work;
  if (!OpenWorkFolder(work)) {
    LogStep(L"Einstellungen nicht geschrieben: kein geschütztes Arbeitsverzeichnis");
    return;
  }

  // The settings folder may be the program folder itself: then there is one file.
  bool separate = useIniFolder && !(program.IsOpen() && IsSamePath(program.FinalPath(),
                                                                   settings.FinalPath()));
  bool settingsWritable = true;
  if (separate) {
    FileStatus status = BringIn(settings, work, kSettingsCopy);
    DWORD error = GetLastError();
    if (IsRefusal(status)) {
      useIniFolder = separate = false;
      NoteRefusal(silentMode, IDS_SETTINGS_FOLDER_REFUSED, settings.PathOf(kSettingsName), status);
    } else {
      settingsWritable = status == FileStatus::Done;  // held open, unreadable: left as it is
      if (!settingsWritable) NoteUnchanged(settings, status, error);
    }
  }
  bool programWritable = false;
  if (program.IsOpen()) {
    FileStatus status = BringIn(program, work, kProgramCopy);
    DWORD error = GetLastError();
    programWritable = status == FileStatus::Done;
    if (IsRefusal(status))
      NoteRefusal(silentMode, IDS_SETTINGS_FILE_REFUSED, program.PathOf(kSettingsName), status);
    else if (!programWritable)
      NoteUnchanged(program, status, error);
  }
  if (useIniFolder) SettingsFileIn(expanded, settingsFile);

  std::wstring programCopy = programWritable ? work.Folder().PathOf(kProgramCopy) : L"";
  std::wstring settingsCopy = programCopy;
  if (separate) settingsCopy = settingsWritable ? work.Folder().PathOf(kSettingsCopy) : L"";
  WriteKeys(programCopy, settingsCopy, iniFolder, useIniFolder, settingsFile);
  if (programWritable)
    PutBack(program, work, kProgramCopy,
            separate ? L"Einstellungsdatei (Verweis auf das Einstellungsverzeichnis)"
                     : L"Einstellungsdatei");
  if (separate && settingsWritable) PutBack(settings, work, kSettingsCopy, L"Einstellungsdatei");
  LogStep(L"Der Betrachter liest seine Einstellungen aus: %ls", settingsFile);
}

int ConvertSettingsToUnicode(const wchar_t* settingsFile) {
  std::wstring path = settingsFile;
  size_t slash = path.find_last_of(L"\\/");
  std::wstring folderPath = slash == std::wstring::npos ? L".\\" : path.substr(0, slash + 1);
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  GuardedFolder folder;
  std::string source;
  FileStatus status = GuardedFolder::OpenTop(folderPath.c_str(), false, folder);
  if (status == FileStatus::Done) status = ReadWholeFile(folder, name.c_str(), source);
  if (status != FileStatus::Done) {
    LogStep(L"Einstellungsdatei nicht umgewandelt: %ls (%ls)", settingsFile,
            FileStatusReason(status, GetLastError()).c_str());
    return 1;
  }
  if (source.size() >= 2 && static_cast<unsigned char>(source[0]) == 0xFF &&
      static_cast<unsigned char>(source[1]) == 0xFE) {
    LogStep(L"Einstellungsdatei ist schon UTF-16: %ls", settingsFile);
    return 1;
  }
  std::wstring converted;
  int pieces = 0;
  if (!ConvertToUnicode(source, converted, pieces)) {
    LogStep(L"Einstellungsdatei nicht umgewandelt (Zeichen nicht lesbar): %ls", settingsFile);
    return 0;
  }
  if (pieces == 0) return 1;  // an empty file stays as it is
  UniqueHandle scratch;
  status = CreateScratchFile(folder, L"~lg", scratch);
  if (status != FileStatus::Done) {
    LogStep(L"Einstellungsdatei nicht umgewandelt: %ls (%ls)", settingsFile,
            FileStatusReason(status, GetLastError()).c_str());
    return 1;
  }
  DWORD bytes = static_cast<DWORD>(converted.size() * sizeof(wchar_t));
  DWORD written = 0;
  // A conversion that could not be written completely must not replace the settings.
  bool complete =
      WriteFile(scratch.get(), converted.data(), bytes, &written, nullptr) && written == bytes;
  status = complete ? CommitScratchFile(scratch.get(), folder, name.c_str()) : FileStatus::Failed;
  if (status != FileStatus::Done) {
    DWORD error = GetLastError();
    DeleteOpenFile(scratch.get());
    LogStep(L"Einstellungsdatei nicht umgewandelt: %ls (%ls)", settingsFile,
            FileStatusReason(status, error).c_str());
    return 0;
  }
  LogStep(L"Einstellungsdatei in UTF-16 umgewandelt: %ls", settingsFile);
  return 1;
}
