// The rule by which a registered DisplayVersion counts as newer than this setup's 4.58.
#include <gtest/gtest.h>

#include "engine/version_rules.h"

namespace {

TEST(IsNewerProductVersion, MinorIsAWholeNumberAndOddTextsAreNotNewer) {
  struct Case {
    const wchar_t* text;
    bool parsed;
    int major, minor;
    bool newer;  // than 4.58
  } cases[] = {
      {L"4.60", true, 4, 60, true},
      {L"4.59", true, 4, 59, true},
      {L"4.58", true, 4, 58, false},   // the same version installs again
      {L"4.058", true, 4, 58, false},
      {L"4.50", true, 4, 50, false},
      {L"4.6", true, 4, 6, false},     // "%d.%d" of minor 6: older, not 4.60
      {L"4.100", true, 4, 100, true},
      {L"5.0", true, 5, 0, true},
      {L"3.99", true, 3, 99, false},
      {L"10.1", true, 10, 1, true},
      {L"4.60.1", true, 4, 60, true},  // what follows the minor's digits does not count
      {L"4.60 beta", true, 4, 60, true},
      {L"4.59a", true, 4, 59, true},
      {L"99999999999.0", true, 2147483647, 0, true},  // saturated, not wrapped
      {L"4.99999999999", true, 4, 2147483647, true},
      {L"", false, 0, 0, false},
      {L"5", false, 0, 0, false},      // no point: not the form we write
      {L"4.", false, 0, 0, false},
      {L".60", false, 0, 0, false},
      {L" 4.60", false, 0, 0, false},
      {L"4,60", false, 0, 0, false},
      {L"v4.60", false, 0, 0, false},
      {L"-4.60", false, 0, 0, false},
      {L"4.-60", false, 0, 0, false},
  };
  for (const Case& c : cases) {
    int major = -1, minor = -1;
    EXPECT_EQ(ParseProductVersion(c.text, major, minor), c.parsed) << c.text;
    if (c.parsed) {
      EXPECT_EQ(major, c.major) << c.text;
      EXPECT_EQ(minor, c.minor) << c.text;
    }
    EXPECT_EQ(IsNewerProductVersion(c.text, 4, 58), c.newer) << c.text;
  }
}

}  // namespace
