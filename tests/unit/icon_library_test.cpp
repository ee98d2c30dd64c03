// Whether an installed icon library gives way to the payload's: real libraries built with
// the versions, companies and sizes the rule looks at.
#include "engine/icon_library.h"
#include "engine/version_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

TEST(ReadVersionInfo, VersionTextAndCompany) {
  wchar_t version[260], company[260];
  ASSERT_EQ(ReadVersionInfo(test::FixturePath(L"icons\\v451.dll").c_str(), version, company), 1);
  EXPECT_STREQ(version, L"4.51");
  EXPECT_STREQ(company, L"Vestalor");
  ASSERT_EQ(ReadVersionInfo(test::FixturePath(L"icons\\v430_exact.dll").c_str(), version, nullptr),
            1);
  EXPECT_STREQ(version, L"4.30");
  // Only the US English block with the Western code page holds the company we look for.
  ASSERT_EQ(ReadVersionInfo(test::FixturePath(L"icons\\v410_german_block.dll").c_str(), version,
                            company),
            1);
  EXPECT_STREQ(company, L"");
  EXPECT_EQ(ReadVersionInfo(test::FixturePath(L"icons\\no_version.dll").c_str(), version, company),
            0);
  EXPECT_EQ(ReadVersionInfo(L"C:\\no\\such\\Icons.dll", version, company), 0);
}

TEST(VersionTextNumber, LeadingDecimalNarrowedToFloat) {
  struct Case {
    const wchar_t* text;
    int number;
  } cases[] = {
      {L"4.30", 4300}, {L"4.51", 4510}, {L"4.10", 4100}, {L"4.100", 4100}, {L"4.3", 4300},
      {L"4.29", 4290}, {L"4.301", 4301}, {L"5", 5000},   {L"", 0},         {L"x4.5", 0},
      {L"4.5.1", 4500}, {L"99999999999999999999", 2147483520},
  };
  for (const Case& c : cases) EXPECT_EQ(VersionTextNumber(c.text), c.number) << c.text;
}

TEST(ShouldReplaceIconLibrary, InstalledLibraries) {
  test::ScratchFolder plugins(L"icons");
  struct Case {
    const wchar_t* fixture;  // null: no installed file
    bool replace;
  } cases[] = {
      {L"v451.dll", false},            // newer: stays, whoever made it
      {L"v410_lower.dll", true},       // older and ours ("vestalor" in other letter case)
      {L"v410_other.dll", false},      // older but another company's
      {L"v410_german_block.dll", false},
      {L"v430_exact.dll", true},       // 4.30 as shipped: 226,816 bytes
      {L"v430_other_size.dll", false},
      {L"no_version.dll", true},       // unreadable version: replaced
      {nullptr, true},
  };
  for (const Case& c : cases) {
    std::wstring installed = plugins / L"Icons.dll";
    DeleteFileW(installed.c_str());
    if (c.fixture) ASSERT_TRUE(test::CopyFileTo(test::FixturePath(std::wstring(L"icons\\") + c.fixture), installed));
    EXPECT_EQ(ShouldReplaceIconLibrary(installed.c_str()), c.replace)
        << (c.fixture ? c.fixture : L"(no file)");
  }
}

TEST(IconLibraryReplaceable, UnreadableSizeOfA430LibraryKeepsIt) {
  EXPECT_FALSE(IconLibraryReplaceable(4300, L"Vestalor", -1));
  EXPECT_TRUE(IconLibraryReplaceable(4300, L"VESTALOR", 226816));
  EXPECT_FALSE(IconLibraryReplaceable(4300, L"Vestalor GmbH", 226816));
}

}  // namespace
