// The program's own resources: manifest, artwork, and the DLL search path it sets.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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
