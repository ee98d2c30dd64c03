// The program's own resources: manifest, artwork, the version blocks of the setup and the
// uninstaller, and the DLL search path it sets.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/system_helpers.h"
#include "test_support.h"

namespace {

std::string ManifestText() {
  HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  if (!info) return {};
  HGLOBAL data = LoadResource(nullptr, info);
  return std::string(static_cast<const char*>(LockResource(data)), SizeofResource(nullptr, info));
}

TEST(Resources, ManifestAsksForElevationDpiAwarenessAndCommonControls6) {
  std::string manifest = ManifestText();
  EXPECT_NE(manifest.find("level=\"highestAvailable\""), std::string::npos);
  EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos);
  EXPECT_NE(manifest.find("true/pm"), std::string::npos);
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
            std::string::npos);
}

TEST(Resources, LogoAndIcon) {
  HBITMAP logo = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(113), IMAGE_BITMAP, 0, 0, 0));
  ASSERT_NE(logo, nullptr);
  BITMAP bm;
  GetObjectW(logo, sizeof(bm), &bm);
  EXPECT_EQ(bm.bmWidth, 88);
  EXPECT_EQ(bm.bmHeight, 31);
  DeleteObject(logo);
  HICON icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(111), IMAGE_ICON, 32, 32, 0));
  EXPECT_NE(icon, nullptr);
  if (icon) DestroyIcon(icon);
}

// A file's version information as version.dll reads it.
class VersionInfo {
 public:
  explicit VersionInfo(const std::wstring& path) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    block_.resize(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, block_.data())) block_.clear();
  }
  bool loaded() const { return !block_.empty(); }
  const VS_FIXEDFILEINFO* Fixed() {
    UINT length = 0;
    void* fixed = Query(L"\\", length);
    return length >= sizeof(VS_FIXEDFILEINFO) ? static_cast<VS_FIXEDFILEINFO*>(fixed) : nullptr;
  }
  // Language and code page pairs of the translation list.
  std::vector<WORD> Translations() {
    UINT length = 0;
    auto* words = static_cast<const WORD*>(Query(L"\\VarFileInfo\\Translation", length));
    return words ? std::vector<WORD>(words, words + length / sizeof(WORD)) : std::vector<WORD>();
  }
  std::wstring Text(const std::wstring& block, const std::wstring& name) {
    UINT length = 0;
    auto* text = static_cast<const wchar_t*>(Query(L"\\StringFileInfo\\" + block + L"\\" + name, length));
    return text && length ? std::wstring(text) : L"(none)";
  }

 private:
  void* Query(const std::wstring& key, UINT& length) {
    void* value = nullptr;
    if (block_.empty() || !VerQueryValueW(block_.data(), key.c_str(), &value, &length)) {
      length = 0;
      return nullptr;
    }
    return value;
  }
  std::vector<BYTE> block_;
};

TEST(Resources, SetupAndUninstallerSay4580InGermanAndInEnglish) {
  struct Program {
    const wchar_t* variable;  // the built file's host path (set by CTest)
    const wchar_t* fileName;
    const wchar_t* internalName;
    const wchar_t* german;
    const wchar_t* english;
  };
  const Program programs[] = {
      {L"LG_SETUP_EXE", L"lumagrove-setup64.exe", L"lumagrove-setup64",
       L"Lumagrove 64-bit Setup", L"Lumagrove 64-bit Setup"},
      {L"LG_UNINSTALLER_EXE", L"lgr_uninstall.exe", L"lgr_uninstall",
       L"Lumagrove 64-bit Deinstallation", L"Lumagrove 64-bit Uninstaller"},
  };
  for (const Program& p : programs) {
    SCOPED_TRACE(testing::Message() << p.variable);
    std::wstring path = test::BuiltFilePath(p.variable);
    ASSERT_FALSE(path.empty());
    VersionInfo info(path);
    ASSERT_TRUE(info.loaded());
    const VS_FIXEDFILEINFO* fixed = info.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(58, 4));  // 4.58, then 0.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(58, 4));
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(info.Translations(), (std::vector<WORD>{0x0407, 1200, 0x0409, 1200}));

    struct Block {
      const wchar_t* name;
      const wchar_t* description;
    };
    for (const Block& block : {Block{L"040704B0", p.german}, Block{L"040904B0", p.english}}) {
      SCOPED_TRACE(testing::Message() << block.name);
      EXPECT_EQ(info.Text(block.name, L"CompanyName"), L"Vestalor");
      EXPECT_EQ(info.Text(block.name, L"ProductName"), L"Lumagrove");
      EXPECT_EQ(info.Text(block.name, L"FileDescription"), block.description);
      EXPECT_EQ(info.Text(block.name, L"FileVersion"), L"4.58.0.0");
      EXPECT_EQ(info.Text(block.name, L"ProductVersion"), L"4.58.0.0");
      EXPECT_EQ(info.Text(block.name, L"LegalCopyright"), L"Copyright (C) 2024 Vestalor");
      EXPECT_EQ(info.Text(block.name, L"OriginalFilename"), p.fileName);
      EXPECT_EQ(info.Text(block.name, L"InternalName"), p.internalName);
    }
    // The payload's block (an icon library's) is not theirs.
    EXPECT_EQ(info.Text(L"040904E4", L"CompanyName"), L"(none)");
  }
}

TEST(HardenDllSearchPath, LibrariesByNameNoLongerComeFromTheCurrentFolder) {
  test::ScratchFolder folder(L"dllsearch");
  test::CurrentFolderGuard restore;
  ASSERT_TRUE(test::CopyFileTo(test::FixturePath(L"icons\\v451.dll"), folder / L"lgprobe.dll"));
  SetCurrentDirectoryW(folder.path().c_str());
  HMODULE before = LoadLibraryW(L"lgprobe.dll");
  ASSERT_NE(before, nullptr) << "the current folder should be searched before";
  FreeLibrary(before);
  HardenDllSearchPath();
  HMODULE after = LoadLibraryW(L"lgprobe.dll");
  EXPECT_EQ(after, nullptr);
  if (after) FreeLibrary(after);
  // The system's own libraries are still found by name.
  HMODULE version = LoadLibraryW(L"version.dll");
  EXPECT_NE(version, nullptr);
  if (version) FreeLibrary(version);
}

}  // namespace
