#include "engine/viewer_settings.h"

#include <windows.h>

#include <cstdlib>
#include <cwchar>

#include "base/folder_tree.h"
#include "base/handles.h"
#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "engine/install_options.h"
#include "engine/settings_rules.h"

namespace {

constexpr wchar_t kSettingsName[] = L"lg_show64.ini";
constexpr wchar_t kTempName[] = L"lg_show64.ini_temp";
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

void WriteKey(const wchar_t* file, const wchar_t* section, const wchar_t* key,
              const wchar_t* value) {
  WritePrivateProfileStringW(section, key, value, file);
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

// Reads up to kPieceBytes bytes, stopping after a line feed; returns the count.
size_t ReadPiece(FILE* source, char* piece) {
  size_t n = 0;
  int c;
  while (n < kPieceBytes && (c = fgetc(source)) != EOF) {
    piece[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  return n;
}

bool WriteWide(FILE* out, const wchar_t* text, size_t count) {
  return fwrite(text, sizeof(wchar_t), count, out) == count;
}

void TempPathBeside(const wchar_t* settingsFile, wchar_t* tempPath) {
  wchar_t drive[_MAX_DRIVE] = {};
  wchar_t dir[kLongPath] = {};
  _wsplitpath_s(settingsFile, drive, _MAX_DRIVE, dir, kLongPath, nullptr, 0, nullptr, 0);
  swprintf(tempPath, kLongPath, L"%ls%ls", drive, dir);
  if (tempPath[0] != L'\0') AppendBackslash(tempPath, kLongPath);
  AppendText(tempPath, kLongPath, kTempName);
}

}  // namespace

void WriteViewerSettings(const wchar_t* targetFolder, wchar_t* iniFolder, int silentMode,
                         wchar_t* settingsFile) {
  wchar_t folder[kLongPath];
  CopyText(folder, kLongPath, targetFolder);
  TrimBlanks(folder);
  AppendBackslash(folder, kLongPath);
  wchar_t programIni[kLongPath];
  swprintf(programIni, kLongPath, L"%ls%ls", folder, kSettingsName);
  CopyText(settingsFile, kLongPath, programIni);

  if (silentMode && iniFolder[0] == L'\0') {
    wchar_t defaultFolder[kLongPath];
    GetDefaultInstallFolder(defaultFolder);
    if (Contains(targetFolder, defaultFolder)) CopyText(iniFolder, kLongPath, kDefaultIniFolder);
  }

  wchar_t expanded[kLongPath] = {};
  // A folder whose expansion does not fit, or that cannot be created, cannot be the
  // settings folder: the settings then stay in the program folder, without a pointer
  // that would lead the viewer to a file nobody could write.
  bool useIniFolder = iniFolder[0] != L'\0' &&
                      ExpandEnvironmentNames(iniFolder, expanded, kLongPath, ProcessEnvironment());
  if (useIniFolder && expanded[0] != L'\0') useIniFolder = CreateFolderTree(expanded) != 0;
  const wchar_t* pointerIni = L"";
  if (useIniFolder) {
    pointerIni = programIni;
    WriteKey(programIni, L"Others", L"INI_Folder", iniFolder);
    SettingsFileIn(expanded, settingsFile);
  } else {
    WriteKey(programIni, L"Others", L"INI_Folder", nullptr);
  }

  bool packaged = useIniFolder && IsPackagedLayout(iniFolder, settingsFile);
  WriteKey(settingsFile, L"Language", L"DLL", L"DEUTSCH.DLL");
  WriteKey(settingsFile, L"Language", L"Lang", L"Deutsch");
  if (packaged) {
    WriteKey(pointerIni, L"Language", L"DefaultLang", L"DEUTSCH.DLL");
    WriteKey(pointerIni, L"Language", L"Lang", L"Deutsch");
  }

  wchar_t skin[kMaxPath] = {};
  GetPrivateProfileStringW(L"Toolbar", L"Skin", L"", skin, kMaxPath, settingsFile);
  if (skin[0] != L'\0') return;  // the user's choice stays, in both files
  ToolbarSkin chosen = SkinForScreen();
  WriteKey(settingsFile, L"Toolbar", L"Skin", chosen.skin);
  WriteKey(settingsFile, L"Toolbar", L"Size", chosen.size);
  if (packaged) {
    WriteKey(pointerIni, L"Toolbar", L"Skin", L"Hallvik_24.png");
    WriteKey(pointerIni, L"Toolbar", L"Size", L"24");
  }
}

int ConvertSettingsToUnicode(const wchar_t* settingsFile, FILE* source) {
  unsigned char bom[2] = {};
  if (fread(bom, 1, 2, source) == 2 && bom[0] == 0xFF && bom[1] == 0xFE) {
    fclose(source);
    return 1;
  }
  rewind(source);
  wchar_t tempPath[kLongPath];
  TempPathBeside(settingsFile, tempPath);
  FILE* out = _wfopen(tempPath, L"wb");
  if (!out) {
    fclose(source);
    return 1;
  }
  static const unsigned char kBom[2] = {0xFF, 0xFE};
  bool ok = fwrite(kBom, 1, 2, out) == 2 &&
            WriteWide(out, kUnicodeHeader, wcslen(kUnicodeHeader));
  char piece[kPieceBytes];
  wchar_t wide[kPieceBytes + 1];
  int pieces = 0;
  for (size_t n; ok && (n = ReadPiece(source, piece)) > 0; ++pieces) {
    int count = MultiByteToWideChar(CP_ACP, 0, piece, static_cast<int>(n), wide, kPieceBytes + 1);
    ok = count > 0 && WriteWide(out, wide, static_cast<size_t>(count));
  }
  ok = ferror(source) == 0 && ok;
  fclose(source);
  ok = fclose(out) == 0 && ok;
  // A conversion that could not be written completely must not replace the settings.
  if (!ok || pieces == 0) {
    DeleteFileW(tempPath);
    return ok ? 1 : 0;
  }
  return MoveFileExW(tempPath, settingsFile, MOVEFILE_REPLACE_EXISTING) ? 1 : 0;
}
