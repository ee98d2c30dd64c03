#include "app/text_rules.h"

#include <gtest/gtest.h>

#include <string>

TEST(TrimBlanks, Placeholder) {
  wchar_t t[32] = L"  a  ";
  TrimBlanks(t);
  EXPECT_STREQ(t, L"a");
}
