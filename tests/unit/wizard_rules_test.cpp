// The wizard pages' text rules: template filling, folder checks, browser and viewer paths.
#include "wizard/wizard_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Fill(const wchar_t* format, std::initializer_list<const wchar_t*> args,
                  size_t capacity = 520, bool* fits = nullptr) {
  std::wstring out(capacity, L'#');
  bool ok = FormatTemplateText(format, args.begin(), args.size(), out.data(), capacity);
  if (fits) *fits = ok;
  return out.c_str();
}

TEST(FormatTemplateText, FillsThePagesTemplates) {
  EXPECT_EQ(Fill(L"Willkommen zur Lumagrove %s Installation!", {L"64"}),
            L"Willkommen zur Lumagrove 64 Installation!");
  EXPECT_EQ(Fill(L"Version  %s  (%s bit)", {L"4.58", L"64"}), L"Version  4.58  (64 bit)");
}

TEST(FormatTemplateText, TreatsOnlyPercentSAsPlaceholder) {
  struct Case {
    const wchar_t* format;
    const wchar_t* expected;
  } cases[] = {
      {L"%d %ls %n %x", L"%d %ls %n %x"},  // never a printf format
      {L"100%% %s", L"100% a"},
      {L"%s %s %s", L"a b "},               // missing arguments are empty
      {L"trailing %", L"trailing %"},
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(Fill(c.format, {L"a", L"b"}), c.expected) << c.format;
}

TEST(FormatTemplateText, CutsAtTheBufferAndSaysSo) {
  bool fits = true;
  EXPECT_EQ(Fill(L"abc %s", {L"defgh"}, 6, &fits), L"abc d");
  EXPECT_FALSE(fits);
  EXPECT_EQ(Fill(L"abcd", {}, 5, &fits), L"abcd");
  EXPECT_TRUE(fits);
}

TEST(TargetTextHasDrive, AcceptsOnlyTextsWithADrivePart) {
  struct Case {
    std::wstring text;
    bool accepted;
  } cases[] = {
      {L"C:\\Program Files\\Lumagrove", true},
      {L"C:", true},  // a drive alone passes this page
      {L"D:\\Tools\\Lumagrove\\   ", true},
      {L"", false},
      {L"Lumagrove", false},
      {L"\\\\server\\share\\Lumagrove", false},
      {L" C:\\Lumagrove", false},  // a leading blank moves the colon
      {L"C", false},
      {L"C:\\" + std::wstring(255, L'a') + L"\\x", false},  // folder part beyond 255
      {L"C:\\" + std::wstring(253, L'a') + L"\\x", true},
      {L"C:\\x\\" + std::wstring(256, L'n'), false},       // name part beyond 255
      {L"C:\\x\\a." + std::wstring(255, L'e'), false},     // extension with its dot
  };
  for (const Case& c : cases)
    EXPECT_EQ(TargetTextHasDrive(c.text.c_str()), c.accepted) << c.text.size();
}

TEST(CompleteBrowsedFolder, AddsTheProductFolderUnlessItIsThere) {
  struct Case {
    const wchar_t* chosen;
    const wchar_t* expected;
  } cases[] = {
      {L"C:\\Programme\\", L"C:\\Programme\\Lumagrove\\"},
      {L"C:\\Programme", L"C:\\Programme\\Lumagrove\\"},
      {L"C:\\", L"C:\\Lumagrove\\"},
      {L"D:\\Apps\\LUMAGROVE\\", L"D:\\Apps\\LUMAGROVE\\"},
      {L"D:\\Apps\\lumagrove", L"D:\\Apps\\lumagrove\\"},
      {L"D:\\Apps\\Lumagrove2\\", L"D:\\Apps\\Lumagrove2\\Lumagrove\\"},
      {L"D:\\Lumagrove\\", L"D:\\Lumagrove\\"},
  };
  for (const Case& c : cases) {
    wchar_t path[520];
    wcscpy(path, c.chosen);
    EXPECT_TRUE(CompleteBrowsedFolder(path, 520));
    EXPECT_STREQ(path, c.expected) << c.chosen;
  }
}

TEST(CompleteBrowsedFolder, LeavesAPathThatCannotTakeTheNameAsItWas) {
  wchar_t path[16] = L"C:\\Programme\\";
  EXPECT_FALSE(CompleteBrowsedFolder(path, 16));
  EXPECT_STREQ(path, L"C:\\Programme\\");
}

TEST(BrowserStartFolder, DropsTheFinalBackslashExceptAtARoot) {
  wchar_t out[32];
  BrowserStartFolder(L"C:\\Lumagrove\\", out, 32);
  EXPECT_STREQ(out, L"C:\\Lumagrove");
  BrowserStartFolder(L"C:\\", out, 32);
  EXPECT_STREQ(out, L"C:\\");
  BrowserStartFolder(L"C:\\Lumagrove", out, 32);
  EXPECT_STREQ(out, L"C:\\Lumagrove");
}

TEST(BuildViewerPath, NamesTheInstalledViewer) {
  wchar_t path[260];
  ASSERT_TRUE(BuildViewerPath(L"C:\\Program Files\\Lumagrove", path, 260));
  EXPECT_STREQ(path, L"C:\\Program Files\\Lumagrove\\lg_show64.exe");
  ASSERT_TRUE(BuildViewerPath(L"D:\\Lumagrove\\", path, 260));
  EXPECT_STREQ(path, L"D:\\Lumagrove\\lg_show64.exe");
  // The installation trims the folder's blanks, so the viewer is looked for there too.
  ASSERT_TRUE(BuildViewerPath(L"D:\\Lumagrove   ", path, 260));
  EXPECT_STREQ(path, L"D:\\Lumagrove\\lg_show64.exe");
}

TEST(BuildViewerPath, RefusesWhatDoesNotFit) {
  wchar_t path[260];
  std::wstring longest = L"C:\\" + std::wstring(242, L'x');  // 245 + "\lg_show64.exe" = 259
  EXPECT_TRUE(BuildViewerPath(longest.c_str(), path, 260));
  std::wstring tooLong = longest + L"y";
  EXPECT_FALSE(BuildViewerPath(tooLong.c_str(), path, 260));
  EXPECT_FALSE(BuildViewerPath(L"   ", path, 260));
}

TEST(StripReleaseNotesTail, CutsLineBreaksAndPunctuationAtTheEnd) {
  wchar_t text[64] = L"\xFEFFNeu in 4.58:\r\n- Schneller.\r\n\r\n";
  StripReleaseNotesTail(text);
  EXPECT_STREQ(text, L"\xFEFFNeu in 4.58:\r\n- Schneller");
  wchar_t digits[16] = L"Version 4.58";
  StripReleaseNotesTail(digits);
  EXPECT_STREQ(digits, L"Version 4.58");
  wchar_t nothing[8] = L"\r\n.!";
  StripReleaseNotesTail(nothing);
  EXPECT_STREQ(nothing, L"");
}

}  // namespace
