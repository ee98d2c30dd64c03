// Blank trimming, bounded copies and the open-command folder rule.
#include "base/text_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Trimmed(std::wstring text) {
  std::wstring buffer = text;
  buffer.resize(text.size() + 8, L'\0');
  TrimBlanks(buffer.data());
  return buffer.c_str();
}

TEST(TrimBlanks, Cases) {
  struct Case {
    std::wstring in, out;
  } cases[] = {
      {L"", L""},
      {L"     ", L""},
      {L"  C:\\Apps\\Lumagrove  ", L"C:\\Apps\\Lumagrove"},
      {L"C:\\x\t", L"C:\\x\t"},        // only U+0020 counts
      {L"\tC:\\x ", L"\tC:\\x"},
      {L" a b ", L"a b"},
  };
  for (const Case& c : cases) EXPECT_EQ(Trimmed(c.in), c.out) << "input [" << c.in.size() << "]";
}

TEST(TrimBlanks, LongTextKeepsLeadingBlanks) {
  std::wstring longText = L" " + std::wstring(259, L'x') + L"   ";
  EXPECT_EQ(Trimmed(longText), L" " + std::wstring(259, L'x'));
  std::wstring shorter = L" " + std::wstring(258, L'x') + L" ";  // 259 after the cut
  EXPECT_EQ(Trimmed(shorter), std::wstring(258, L'x'));
}

TEST(BoundedText, CopyAndAppendNeverOverrun) {
  wchar_t buffer[8] = {};
  for (wchar_t& c : buffer) c = L'#';
  EXPECT_EQ(CopyText(buffer, 5, L"abcdefgh"), 4u);
  EXPECT_STREQ(buffer, L"abcd");
  EXPECT_EQ(buffer[5], L'#');
  EXPECT_FALSE(AppendText(buffer, 6, L"xyz"));
  EXPECT_STREQ(buffer, L"abcdx");
  EXPECT_FALSE(AppendBackslash(buffer, 6));
  EXPECT_EQ(buffer[6], L'#');
  wchar_t path[8] = L"C:\\";
  EXPECT_TRUE(AppendBackslash(path, 8));
  EXPECT_STREQ(path, L"C:\\");
}

TEST(ParseOpenCommandFolder, Cases) {
  struct Case {
    std::wstring command;
    bool found;
    std::wstring folder;
  } cases[] = {
      {L"\"C:\\Program Files\\Lumagrove\\lg_show64.exe\" \"%1\"", true,
       L"C:\\Program Files\\Lumagrove\\"},
      {L"\"D:\\Tools\\Lumagrove\\lg_show64.exe\" \"%1\"", true, L"D:\\Tools\\Lumagrove\\"},
      {L"\"D:/Tools/lg_show64.exe\" \"%1\"", true, L"D:/Tools/\\"},
      {L"\"C:lg_show64.exe\"", true, L"C:\\"},
      {L"\"lg_show64.exe\"", true, L"\\"},
      // Without quotes the path ends with the program's name, whatever follows.
      {L"C:\\Program Files\\Lumagrove\\lg_show64.exe %1", true, L"C:\\Program Files\\Lumagrove\\"},
      {L"C:\\x\\lg_show64.exe /thumbs \"%1\"", true, L"C:\\x\\"},
      {L"\"C:\\Other\\viewer.exe\" \"%1\"", false, L""},
      {L"\"C:\\x\\LG_SHOW64.EXE\" \"%1\"", false, L""},  // the name is looked for as written
      {L"", false, L""},
  };
  for (const Case& c : cases) {
    wchar_t folder[520];
    folder[0] = L'?';
    EXPECT_EQ(ParseOpenCommandFolder(c.command.c_str(), folder, 520), c.found);
    EXPECT_EQ(std::wstring(folder), c.folder);
  }
}

TEST(ParseOpenCommandFolder, LongValuesStayInTheBuffer) {
  std::wstring longFolder(400, L'd');
  std::wstring command = L"\"C:\\" + longFolder + L"\\lg_show64.exe\" \"%1\"";
  wchar_t folder[64];
  EXPECT_TRUE(ParseOpenCommandFolder(command.c_str(), folder, 64));
  EXPECT_EQ(std::wstring(folder).size(), 63u);
  EXPECT_EQ(folder[62], L'\\');
  wchar_t one[1] = {L'#'};
  EXPECT_TRUE(ParseOpenCommandFolder(command.c_str(), one, 1));
  EXPECT_EQ(one[0], L'\0');
}

}  // namespace
