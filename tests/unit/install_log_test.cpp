// The install log: entry format, encoding, appending and sharing.
#include "app/install_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <regex>

#include "test_support.h"

namespace {

TEST(FormatInstallLogEntry, LayoutAndEncoding) {
  EXPECT_EQ(FormatInstallLogEntry(L"24.05.2021", L"14:03:07", L"Ungültiges Zielverzeichnis!: "),
            "24.05.2021 - 14:03:07: Ung\xfcltiges Zielverzeichnis!: \r\n"
            "------------------------------------------------\r\n");
  // Line feeds inside the message become CR LF; characters above U+00FF become "?".
  EXPECT_EQ(FormatInstallLogEntry(L"d", L"t", L"a\nb\n\nC:\\\u0416\u4e2d\u00ff\\"),
            "d - t: a\r\nb\r\n\r\nC:\\??\xff\\\r\n"
            "------------------------------------------------\r\n");
}

TEST(WriteInstallLog, AppendsDatedEntriesInTheCurrentFolder) {
  test::ScratchFolder folder(L"log");
  test::CurrentFolderGuard restore;
  ASSERT_TRUE(SetCurrentDirectoryW(folder.path().c_str()));
  test::WriteFileBytes(folder / L"Lumagrove_Install.log", "older entry\r\n");
  WriteInstallLog(L"first");
  WriteInstallLog(L"Warnung: Lumagrove läuft!\nzweite Zeile");
  std::string log = test::ReadFileBytes(folder / L"Lumagrove_Install.log");
  std::regex entry(
      "older entry\r\n"
      "[^ ]+ - \\d{2}:\\d{2}:\\d{2}: first\r\n-{48}\r\n"
      "[^ ]+ - \\d{2}:\\d{2}:\\d{2}: Warnung: Lumagrove l\xe4uft!\r\n"
      "zweite Zeile\r\n-{48}\r\n");
  EXPECT_TRUE(std::regex_match(log, entry)) << log;
}

TEST(WriteInstallLog, WritesWhileAnotherProgramHoldsTheLogOpen) {
  test::ScratchFolder folder(L"logshared");
  test::CurrentFolderGuard restore;
  ASSERT_TRUE(SetCurrentDirectoryW(folder.path().c_str()));
  HANDLE reader = CreateFileW(L"Lumagrove_Install.log", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, 0,
                              nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  WriteInstallLog(L"shared");
  CloseHandle(reader);
  EXPECT_NE(test::ReadFileBytes(folder / L"Lumagrove_Install.log").find(": shared\r\n"),
            std::string::npos);
}

TEST(WriteInstallLog, LockedLogLosesTheEntryQuietly) {
  test::ScratchFolder folder(L"loglocked");
  test::CurrentFolderGuard restore;
  ASSERT_TRUE(SetCurrentDirectoryW(folder.path().c_str()));
  HANDLE locker = CreateFileW(L"Lumagrove_Install.log", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(locker, INVALID_HANDLE_VALUE);
  WriteInstallLog(L"lost");
  CloseHandle(locker);
  EXPECT_EQ(test::ReadFileBytes(folder / L"Lumagrove_Install.log"), "");
}

}  // namespace
