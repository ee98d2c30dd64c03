// The command-line options of a silent run, as a table of lines and the records they give.
#include "app/options.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Expected {
  std::wstring targetFolder = L"C:\\Default\\";
  int startMenu = 0, desktop = 0, thumbs = 0, allUsers = 0;
  std::wstring iniFolder = L"%APPDATA%\\Lumagrove";
  int selectedRows = 0;  // rows 0..n-1 selected, the rest not
  int associationMode = 0;
};

InstallOptions Defaults() {
  InstallOptions o;
  wcscpy(o.targetFolder, L"C:\\Default\\");
  wcscpy(o.iniFolder, L"%APPDATA%\\Lumagrove");
  return o;
}

void ExpectRecord(const InstallOptions& o, const Expected& e, const std::wstring& line) {
  SCOPED_TRACE(testing::Message() << "line of " << line.size() << " characters");
  EXPECT_EQ(std::wstring(o.targetFolder), e.targetFolder);
  EXPECT_EQ(o.startMenuShortcuts, e.startMenu);
  EXPECT_EQ(o.desktopShortcut, e.desktop);
  EXPECT_EQ(o.thumbnailsShortcut, e.thumbs);
  EXPECT_EQ(o.allUsers, e.allUsers);
  EXPECT_EQ(std::wstring(o.iniFolder), e.iniFolder);
  for (int i = 0; i < kSelectionCount; ++i)
    EXPECT_EQ(o.associationSelection[i], i < e.selectedRows ? 1 : 0) << "entry " << i;
  EXPECT_EQ(o.associationMode, e.associationMode);
}

Expected With(void (*change)(Expected&)) {
  Expected e;
  change(e);
  return e;
}

TEST(ReadCommandLineOptions, Table) {
  const std::wstring exe = L"\"C:\\setup\\lumagrove-setup64.exe\" ";
  struct Case {
    std::wstring args;
    Expected expected;
  } cases[] = {
      {L"/silent", Expected{}},
      {L"/silent /desktop=1/thumbs=1/group=1", With([](Expected& e) {
         e.desktop = e.thumbs = e.startMenu = 1;
       })},
      {L"/silent /desktop= 1", With([](Expected& e) { e.desktop = 1; })},
      {L"/silent /desktop=yes", With([](Expected& e) { e.desktop = 0; })},
      {L"/silent /desktop=-1 /thumbs=7", With([](Expected& e) {
         e.desktop = -1;
         e.thumbs = 7;
       })},
      {L"/silent /group=+3x /allusers=\t-2", With([](Expected& e) {
         e.startMenu = 3;
         e.allUsers = -2;
       })},
      {L"/silent /desktop=99999999999 /thumbs=-99999999999", With([](Expected& e) {
         e.desktop = 2147483647;
         e.thumbs = -2147483647 - 1;
       })},
      {L"/silent /assoc=1", With([](Expected& e) {
         e.selectedRows = 47;
         e.associationMode = 1;
       })},
      {L"/silent /assoc=2", With([](Expected& e) {
         e.selectedRows = 62;
         e.associationMode = 1;
       })},
      {L"/silent /assoc=3", Expected{}},
      {L"/silent /assoc=0", Expected{}},
      {L"/silent /assoc=-1", Expected{}},
      {L"/silent /assocallusers", Expected{}},
      {L"/silent /assocallusers /assoc=1 /allusers=1", With([](Expected& e) {
         e.selectedRows = 47;
         e.associationMode = 1;
         e.allUsers = 1;
       })},
      {L"/silent /folder=\"C:\\My Apps\\Lumagrove\" /group=1", With([](Expected& e) {
         e.targetFolder = L"C:\\My Apps\\Lumagrove";
         e.startMenu = 1;
       })},
      {L"/silent /folder=D:/Apps", With([](Expected& e) { e.targetFolder = L"D:"; })},
      {L"/silent /folder=", With([](Expected& e) { e.targetFolder = L""; })},
      {L"/silent /folder=/group=1", With([](Expected& e) {
         e.targetFolder = L"";
         e.startMenu = 1;
       })},
      {L"/silent /folder=\"   \"", With([](Expected& e) { e.targetFolder = L""; })},
      {L"/silent /folder=\"\"", With([](Expected& e) { e.targetFolder = L""; })},
      {L"/silent /folder=   ", With([](Expected& e) { e.targetFolder = L""; })},
      {L"/silent /folder=\"", With([](Expected& e) { e.targetFolder = L""; })},
      {L"/silent /folder=  C:\\x\"y\"  ", With([](Expected& e) {
         e.targetFolder = L"  C:\\x\"y";
       })},
      {L"/silent /ini=", With([](Expected& e) { e.iniFolder = L""; })},
      {L"/silent /ini=\"%LOCALAPPDATA%\\LG\" ", With([](Expected& e) {
         e.iniFolder = L"%LOCALAPPDATA%\\LG";
       })},
      {L"/silent /folder=C:\\First /folder=C:\\Second", With([](Expected& e) {
         e.targetFolder = L"C:\\First";
       })},
      {L"/silent /FOLDER=C:\\x /Desktop=1", Expected{}},
      {L"/silent x/desktop=1", With([](Expected& e) { e.desktop = 1; })},
  };
  for (const Case& c : cases) {
    InstallOptions o = Defaults();
    std::wstring line = exe + c.args;
    ReadCommandLineOptions(line.c_str(), o);
    ExpectRecord(o, c.expected, line);
  }
}

TEST(ReadCommandLineOptions, OnlyTheFirst519CharactersCount) {
  std::wstring head = L"setup.exe /silent ";
  std::wstring padding(519 - head.size() - 10, L'x');
  // "/desktop=1" ends exactly at character 519; "/thumbs=1" starts after it.
  std::wstring line = head + padding + L"/desktop=1/thumbs=1";
  ASSERT_EQ(line.find(L"/thumbs="), 519u);
  InstallOptions o = Defaults();
  ReadCommandLineOptions(line.c_str(), o);
  EXPECT_EQ(o.desktopShortcut, 1);
  EXPECT_EQ(o.thumbnailsShortcut, 0);
}

TEST(ReadCommandLineOptions, LongValuesAreCutAtTheWindow) {
  struct Case {
    std::wstring option;
    size_t maxValue;
  } cases[] = {{L"/folder=", 252}, {L"/ini=", 255}};
  for (const Case& c : cases) {
    std::wstring line = L"setup.exe /silent " + c.option + std::wstring(300, L'v');
    InstallOptions o = Defaults();
    ReadCommandLineOptions(line.c_str(), o);
    const wchar_t* field = c.option == L"/ini=" ? o.iniFolder : o.targetFolder;
    EXPECT_EQ(std::wstring(field), std::wstring(c.maxValue, L'v'));
  }
  // A number of 300 digits reads as the limit, not as an overrun.
  std::wstring line = L"setup.exe /silent /group=" + std::wstring(300, L'9');
  InstallOptions o = Defaults();
  ReadCommandLineOptions(line.c_str(), o);
  EXPECT_EQ(o.startMenuShortcuts, 2147483647);
}

TEST(ReadCommandLineOptions, HugeLinesAreSafe) {
  std::wstring line = L"setup.exe /silent";
  for (int i = 0; i < 400; ++i) line += L" /folder=\"" + std::wstring(40, L'q') + L"\"";
  InstallOptions o = Defaults();
  ReadCommandLineOptions(line.c_str(), o);
  EXPECT_EQ(std::wstring(o.targetFolder), std::wstring(40, L'q'));
}

TEST(ReadOptionValue, ValueRules) {
  struct Case {
    std::wstring line, option;
    bool found;
    std::wstring value;
  } cases[] = {
      {L"a /ini=x y/z", L"/ini=", true, L"x y"},
      {L"a /ini=", L"/ini=", true, L""},
      {L"a /ini", L"/ini=", false, L"untouched"},
      {L"a/ini=b/ini=c", L"/ini=", true, L"b"},
  };
  for (const Case& c : cases) {
    wchar_t value[260] = L"untouched";
    EXPECT_EQ(ReadOptionValue(c.line.c_str(), c.option.c_str(), value, 260), c.found);
    EXPECT_EQ(std::wstring(value), c.value);
  }
}

TEST(NormalizePathArgument, Cases) {
  struct Case {
    std::wstring in, out;
  } cases[] = {
      {L"\"C:\\My Apps\" ", L"C:\\My Apps"},
      {L"\"C:\\x", L"C:\\x"},
      {L"C:\\x\"", L"C:\\x"},
      {L"  C:\\x  ", L"  C:\\x"},
      {L"\" C:\\x \"", L" C:\\x"},
      {L"\"", L""},
      {L"\"\"", L""},
      {L"   ", L""},
      {L"a\"b", L"a\"b"},
  };
  for (const Case& c : cases) {
    wchar_t buffer[64];
    wcscpy(buffer, c.in.c_str());
    NormalizePathArgument(buffer);
    EXPECT_EQ(std::wstring(buffer), c.out);
  }
}

TEST(HasSilentSwitch, CaseSensitiveSubstring) {
  EXPECT_TRUE(HasSilentSwitch(L"setup.exe /silent"));
  EXPECT_TRUE(HasSilentSwitch(L"setup.exe /silently"));
  EXPECT_TRUE(HasSilentSwitch(L"\"C:\\a/silentb\\setup.exe\""));
  EXPECT_FALSE(HasSilentSwitch(L"setup.exe /Silent"));
  EXPECT_FALSE(HasSilentSwitch(L"setup.exe"));
}

}  // namespace

namespace {

TEST(ReadDeploymentOptions, Table) {
  struct Case {
    const wchar_t* line;
    const wchar_t* logPath;
    int closeViewer;
    bool progress, allowDowngrade;
  } cases[] = {
      {L"setup.exe /silent", L"", -1, false, false},
      {L"setup.exe /silent /progress /log=\"C:\\Logs\\lg setup.log\" ", L"C:\\Logs\\lg setup.log",
       -1, true, false},
      // The first occurrence counts, as for every option; a value ends at the next "/".
      {L"setup.exe /log=C:\\a.log /log=C:\\b.log /closeviewer=30/closeviewer=5", L"C:\\a.log", 30,
       false, false},
      {L"setup.exe /closeviewer=x /allowdowngrade", L"", 0, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.line);
    DeploymentOptions o;
    ReadDeploymentOptions(c.line, o);
    EXPECT_EQ(std::wstring(o.logPath), c.logPath);
    EXPECT_EQ(o.closeViewerSeconds, c.closeViewer);
    EXPECT_EQ(o.progress, c.progress);
    EXPECT_EQ(o.allowDowngrade, c.allowDowngrade);
  }
  // Beyond the 519 characters that are read, a switch is not seen.
  std::wstring longLine = L"setup.exe /silent " + std::wstring(600, L'x') + L" /allowdowngrade";
  DeploymentOptions o;
  ReadDeploymentOptions(longLine.c_str(), o);
  EXPECT_FALSE(o.allowDowngrade);
}

}  // namespace

namespace {

TEST(PathOptionCutByLineLimit, OnlyAValueTheLimitCutsShortCounts) {
  const std::wstring pad(480, L'x');  // "/folder=" then starts near the 519th character
  struct Case {
    std::wstring line;
    bool cut;
  } cases[] = {
      {L"setup.exe /silent /folder=C:\\Apps\\Lumagrove", false},   // short: read whole
      {pad + L" /folder=C:\\Apps\\Lumagrove\\Viewer\\Version", true},  // runs past 519
      {pad + L" /folder=C:\\A /group=1" + std::wstring(100, L' '), false},  // ends before
      {pad + L" /folder=\"C:\\A\"" + std::wstring(40, L' ') + L"/group=1", false},  // blanks only
      {L"/folder=" + std::wstring(300, L'a') + pad, false},        // cut by the 260 window
      {pad + std::wstring(60, L'y') + L" /folder=C:\\Late", false},  // not seen at all
  };
  for (const Case& c : cases)
    EXPECT_EQ(PathOptionCutByLineLimit(c.line.c_str(), L"/folder="), c.cut)
        << "line of " << c.line.size();
}

}  // namespace
