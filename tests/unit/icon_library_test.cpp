// Whether an installed icon library gives way to the payload's: real libraries built with
// the versions, companies and sizes the rule looks at.
#include "engine/icon_library.h"
#include "engine/version_resource.h"
#include "engine/version_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

std::string Fixture(const wchar_t* name) {
  return test::ReadFileBytes(test::FixturePath(std::wstring(L"icons\\") + name));
}

TEST(ReadVersionInfo, VersionTextAndCompany) {
  wchar_t version[260], company[260];
  ASSERT_EQ(ReadVersionInfo(Fixture(L"v451.dll"), version, company), 1);
  EXPECT_STREQ(version, L"4.51");
  EXPECT_STREQ(company, L"Vestalor");
  ASSERT_EQ(ReadVersionInfo(Fixture(L"v430_exact.dll"), version, nullptr), 1);
  EXPECT_STREQ(version, L"4.30");
  // Only the US English block with the Western code page holds the company we look for.
  ASSERT_EQ(ReadVersionInfo(Fixture(L"v410_german_block.dll"), version, company), 1);
  EXPECT_STREQ(company, L"");
  EXPECT_EQ(ReadVersionInfo(Fixture(L"no_version.dll"), version, company), 0);
  EXPECT_EQ(ReadVersionInfo("", version, company), 0);
}

TEST(FindVersionResource, OnlyInsideTheBytesGiven) {
  std::string library = Fixture(L"v451.dll");
  auto* bytes = reinterpret_cast<const unsigned char*>(library.data());
  size_t offset = 0, length = 0;
  ASSERT_TRUE(FindVersionResource(bytes, library.size(), offset, length));
  // The block starts with its length and the key "VS_VERSION_INFO".
  ASSERT_GT(length, 40u);
  EXPECT_EQ(library.compare(offset + 6, 2, "V\0", 2), 0);
  EXPECT_LE(offset + length, library.size());
  EXPECT_FALSE(FindVersionResource(bytes, offset + length - 1, offset, length));  // data cut
  EXPECT_FALSE(FindVersionResource(bytes, 0x40, offset, length));                 // headers cut

  size_t pe = bytes[0x3C] | bytes[0x3D] << 8;  // a small DLL: its headers come early
  const std::string beyond("\xff\xff\xff\x7f", 4);
  struct Case {
    const char* what;
    size_t at;
    std::string bytes;
  } cases[] = {
      {"no MZ", 0, "ZM"},
      {"PE header beyond the end", 0x3C, beyond},
      {"no PE signature", pe, "EP"},
      {"resources beyond every section", pe + 24 + 112 + 16, beyond},  // PE32+: third directory
  };
  for (const Case& c : cases) {
    std::string damaged = library;
    damaged.replace(c.at, c.bytes.size(), c.bytes);
    EXPECT_FALSE(FindVersionResource(reinterpret_cast<const unsigned char*>(damaged.data()),
                                     damaged.size(), offset, length))
        << c.what;
  }
  std::string none = Fixture(L"no_version.dll");
  EXPECT_FALSE(FindVersionResource(reinterpret_cast<const unsigned char*>(none.data()), none.size(),
                                   offset, length));
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
  GuardedFolder folder;
  ASSERT_EQ(GuardedFolder::OpenTop(plugins.path().c_str(), false, folder), FileStatus::Done);
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
  std::wstring installed = plugins / L"Icons.dll";
  for (const Case& c : cases) {
    DeleteFileW(installed.c_str());
    if (c.fixture) {
      ASSERT_TRUE(
          test::CopyFileTo(test::FixturePath(std::wstring(L"icons\\") + c.fixture), installed));
    }
    EXPECT_EQ(ShouldReplaceIconLibrary(folder), c.replace)
        << (c.fixture ? c.fixture : L"(no file)");
  }
  EXPECT_TRUE(ShouldReplaceIconLibrary(GuardedFolder()));  // no plug-in folder at all

  // A newer library that is a second name of another file is not read: the walk replaces
  // the name, never the other file.
  DeleteFileW(installed.c_str());
  std::wstring other = plugins / L"other.dll";
  ASSERT_TRUE(test::CopyFileTo(test::FixturePath(L"icons\\v451.dll"), other));
  if (CreateHardLinkW(installed.c_str(), other.c_str(), nullptr)) {
    EXPECT_TRUE(ShouldReplaceIconLibrary(folder));
  }
}

TEST(IconLibraryReplaceable, UnreadableSizeOfA430LibraryKeepsIt) {
  EXPECT_FALSE(IconLibraryReplaceable(4300, L"Vestalor", -1));
  EXPECT_TRUE(IconLibraryReplaceable(4300, L"VESTALOR", 226816));
  EXPECT_FALSE(IconLibraryReplaceable(4300, L"Vestalor GmbH", 226816));
}

}  // namespace
