// The labels' rules: fitting the link to its text, the draw flags, the browser fallback.
#include "controls/label_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(FitLabelRect, KeepsTheEdgesTheStyleAnchors) {
  // A 100 x 20 window whose client area is 96 x 16 (a 2-pixel frame), text 40 x 10.
  const LabelRect window = {10, 50, 110, 70};
  const LabelRect client = {12, 52, 108, 68};
  struct Case {
    uint32_t style;
    LabelRect expected;
  } cases[] = {
      {0, {10, 50, 54, 64}},                          // left and top stay
      {kStyleRight, {66, 50, 110, 64}},               // right edge stays
      {kStyleCenter, {38, 50, 82, 64}},               // shrinks equally on both sides
      {kStyleCenterImage, {10, 53, 54, 67}},          // vertical centre stays
      {kStyleCenter | kStyleCenterImage, {38, 53, 82, 67}},
  };
  for (const Case& c : cases) {
    LabelRect r = FitLabelRect(window, client, 40, 10, c.style);
    EXPECT_EQ(r.left, c.expected.left) << c.style;
    EXPECT_EQ(r.top, c.expected.top) << c.style;
    EXPECT_EQ(r.right, c.expected.right) << c.style;
    EXPECT_EQ(r.bottom, c.expected.bottom) << c.style;
  }
}

TEST(FitLabelRect, CentredLabelGrowsAroundItsCentre) {
  LabelRect r = FitLabelRect({0, 0, 20, 10}, {0, 0, 20, 10}, 61, 10, kStyleCenter);
  EXPECT_EQ(r.left, -20);  // half of 41, toward zero, on each side
  EXPECT_EQ(r.right, 40);
}

TEST(LabelDrawFlags, FollowsTheStaticStyle) {
  EXPECT_EQ(LabelDrawFlags(kStyleCenter | kStyleCenterImage),
            kDrawCenter | kDrawVCenter | kDrawSingleLine);
  EXPECT_EQ(LabelDrawFlags(kStyleCenter), kDrawCenter | kDrawWordBreak);
  EXPECT_EQ(LabelDrawFlags(kStyleRight), kDrawRight | kDrawWordBreak);
  EXPECT_EQ(LabelDrawFlags(0), kDrawLeft | kDrawWordBreak);
}

TEST(BuildBrowserCommand, PutsTheUrlWhereThePlaceholderWas) {
  struct Case {
    const wchar_t* handler;
    const wchar_t* expected;
  } cases[] = {
      {L"\"C:\\b\\browser.exe\" \"%1\"", L"\"C:\\b\\browser.exe\"  https://x/eula.htm"},
      {L"C:\\b\\browser.exe %1 -new", L"C:\\b\\browser.exe  https://x/eula.htm"},
      {L"C:\\b\\browser.exe", L"C:\\b\\browser.exe https://x/eula.htm"},
  };
  for (const Case& c : cases) {
    wchar_t command[128];
    ASSERT_TRUE(BuildBrowserCommand(c.handler, L"https://x/eula.htm", command, 128));
    EXPECT_STREQ(command, c.expected);
  }
}

TEST(BuildBrowserCommand, RefusesACommandThatDoesNotFit) {
  wchar_t command[24];
  EXPECT_FALSE(BuildBrowserCommand(L"C:\\browser.exe \"%1\"", L"https://www.example.com/eula.htm",
                                   command, 24));
  EXPECT_FALSE(BuildBrowserCommand(L"C:\\a\\very\\long\\browser.exe", L"u", command, 24));
}

}  // namespace
