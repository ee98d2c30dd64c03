// Text rules of the settings file: %NAME% expansion, the skin table, the packaged layout.
#include "engine/settings_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

class FakeEnvironment final : public EnvironmentLookup {
 public:
  std::map<std::wstring, std::wstring> vars;
  bool Get(const std::wstring& name, std::wstring& value) const override {
    auto it = vars.find(name);
    if (it == vars.end()) return false;
    value = it->second;
    return true;
  }
};

TEST(ExpandEnvironmentNames, Cases) {
  FakeEnvironment env;
  env.vars = {{L"APPDATA", L"C:\\Users\\u\\AppData\\Roaming"}, {L"EMPTY", L""}, {L"X", L"x"}};
  struct Case {
    std::wstring in, out;
  } cases[] = {
      {L"%APPDATA%\\Lumagrove", L"C:\\Users\\u\\AppData\\Roaming\\Lumagrove"},
      {L"C:\\plain", L"C:\\plain"},
      {L"a%UNDEFINED%b", L"ab"},
      {L"a%%b", L"ab"},
      {L"%X%%X%", L"xx"},
      {L"pre%X", L"prex"},  // an unclosed name runs to the end
      {L"%EMPTY%", L""},
      {L"%", L""},
  };
  for (const Case& c : cases) {
    wchar_t out[520];
    EXPECT_TRUE(ExpandEnvironmentNames(c.in.c_str(), out, 520, env));
    EXPECT_EQ(std::wstring(out), c.out) << c.in.size();
  }
}

TEST(ExpandEnvironmentNames, LongNamesAndValuesNeverOverrun) {
  FakeEnvironment env;
  std::wstring longName(400, L'N');
  env.vars = {{longName, std::wstring(300, L'v')}, {L"BIG", std::wstring(600, L'b')}};
  wchar_t out[520];
  std::wstring text = L"%" + longName + L"%\\x";
  EXPECT_TRUE(ExpandEnvironmentNames(text.c_str(), out, 520, env));
  EXPECT_EQ(std::wstring(out), std::wstring(300, L'v') + L"\\x");
  EXPECT_FALSE(ExpandEnvironmentNames(L"%BIG%", out, 520, env));  // does not fit: refused
  EXPECT_STREQ(out, L"");
}

TEST(ChooseToolbarSkin, ByHeightAndScale) {
  struct Case {
    int height, scale;
    std::wstring skin, size;
  } cases[] = {
      {1000, 100, L"Hallvik_24.png", L"24"},
      {1000, 150, L"gnome-colors-wise_32.png", L"32"},
      {700, 100, L"Orlund_16.png", L"16"},
      {767, 100, L"Orlund_16.png", L"16"},
      {768, 100, L"Hallvik_24.png", L"24"},
      {1200, 100, L"Hallvik_24.png", L"24"},
      {1201, 100, L"gnome-colors-wise_32.png", L"32"},
      {1599, 149, L"gnome-colors-wise_32.png", L"32"},
      {1600, 100, L"gnome-colors-human_48.png", L"48"},
      {700, 170, L"gnome-colors-human_48.png", L"48"},  // 164 pixels per inch
      {700, 169, L"gnome-colors-wise_32.png", L"32"},   // 163 pixels per inch
  };
  for (const Case& c : cases) {
    ToolbarSkin s = ChooseToolbarSkin(c.height, c.scale);
    EXPECT_EQ(std::wstring(s.skin), c.skin) << c.height << " " << c.scale;
    EXPECT_EQ(std::wstring(s.size), c.size) << c.height << " " << c.scale;
  }
}

TEST(IsPackagedLayout, NeedsAnIniFolderAndTheExactName) {
  EXPECT_TRUE(IsPackagedLayout(L"x", L"D:\\Lumagrove64_App\\Data\\lg_show64.ini"));
  EXPECT_TRUE(IsPackagedLayout(L"x", L"D:\\Lumagrove32_App\\lg_show64.ini"));
  EXPECT_FALSE(IsPackagedLayout(L"", L"D:\\Lumagrove64_App\\lg_show64.ini"));
  EXPECT_FALSE(IsPackagedLayout(L"x", L"D:\\lumagrove64_app\\lg_show64.ini"));
}

}  // namespace
