// The wizard's page templates and release notes as the program carries them: every control
// with its id, class, text, rectangle and the styles the pages rely on.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource_ids.h"

namespace {

struct Control {
  int id;
  std::wstring cls;
  std::wstring text;  // "#113" for a bitmap given by resource id
  short x, y, cx, cy;
  DWORD style;
};

struct Dialog {
  DWORD style;
  short cx, cy;
  WORD pointSize;
  std::wstring font;
  std::vector<Control> controls;
};

std::wstring ReadSzOrOrd(const WORD*& p, const wchar_t* const* ordinals = nullptr) {
  if (*p == 0xFFFF) {
    WORD ordinal = p[1];
    p += 2;
    if (ordinals && ordinal >= 0x80 && ordinal <= 0x85) return ordinals[ordinal - 0x80];
    return L"#" + std::to_wstring(ordinal);
  }
  std::wstring text(reinterpret_cast<const wchar_t*>(p));
  p += text.size() + 1;
  return text;
}

const WORD* AlignDword(const WORD* p) {
  return reinterpret_cast<const WORD*>((reinterpret_cast<uintptr_t>(p) + 3) & ~uintptr_t(3));
}

Dialog LoadDialog(int id) {
  static const wchar_t* const kClasses[] = {L"Button", L"Edit", L"Static",
                                            L"ListBox", L"ScrollBar", L"ComboBox"};
  Dialog dialog = {};
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_DIALOG);
  if (!found) return dialog;
  const WORD* p = static_cast<const WORD*>(LockResource(LoadResource(nullptr, found)));
  if (p[1] != 0xFFFF) return dialog;  // DIALOGEX only
  const DWORD* d = reinterpret_cast<const DWORD*>(p + 2);
  dialog.style = d[2];
  p = reinterpret_cast<const WORD*>(d + 3);
  WORD count = *p++;
  p += 2;  // x, y
  dialog.cx = static_cast<short>(*p++);
  dialog.cy = static_cast<short>(*p++);
  ReadSzOrOrd(p);  // menu
  ReadSzOrOrd(p);  // class
  ReadSzOrOrd(p);  // caption
  if (dialog.style & DS_SETFONT) {
    dialog.pointSize = *p++;
    p += 2;  // weight, italic and charset
    dialog.font = ReadSzOrOrd(p);
  }
  for (WORD i = 0; i < count; ++i) {
    p = AlignDword(p);
    const DWORD* item = reinterpret_cast<const DWORD*>(p);
    Control control = {};
    control.style = item[2];
    p = reinterpret_cast<const WORD*>(item + 3);
    control.x = static_cast<short>(*p++);
    control.y = static_cast<short>(*p++);
    control.cx = static_cast<short>(*p++);
    control.cy = static_cast<short>(*p++);
    control.id = static_cast<int>(*reinterpret_cast<const DWORD*>(p));
    p += 2;
    control.cls = ReadSzOrOrd(p, kClasses);
    control.text = ReadSzOrOrd(p);
    WORD extra = *p++;
    p = reinterpret_cast<const WORD*>(reinterpret_cast<const BYTE*>(p) + extra);
    dialog.controls.push_back(control);
  }
  return dialog;
}

constexpr int S = -1;  // a control without an id of its own
constexpr DWORD kCheck = BS_AUTOCHECKBOX, kRadio = BS_AUTORADIOBUTTON, kGroupBox = BS_GROUPBOX;

struct Page {
  int id;
  std::vector<Control> controls;
};

const Page kPages[] = {
    {IDD_WELCOME,
     {{1000, L"Edit", L"", 17, 177, 212, 12, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP},
      {1009, L"Button", L"D&urchsuchen", 234, 176, 50, 15, WS_TABSTOP},
      {1011, L"Button", L"Lumagrove-Verknüpfung auf dem &Desktop", 17, 86, 182, 9, kCheck},
      {1021, L"Button", L"Thu&mbnails-Verknüpfung auf dem &Desktop", 17, 98, 192, 9, kCheck},
      {1012, L"Button", L"Lumagrove-Verknüpfung im Start-Menü -> &Programme", 17, 110, 199, 9, kCheck},
      {1016, L"Button", L"Nur für den aktuellen &Benutzer", 17, 125, 134, 9, kRadio | WS_GROUP},
      {1017, L"Button", L"Für &alle Benutzer", 17, 136, 139, 9, kRadio},
      {1019, L"Button", L"&Keine", 234, 95, 50, 15, 0},
      {S, L"Static", L"#113", 9, 7, 59, 19, SS_BITMAP},
      {1056, L"Static",
       L"Dieses Programm wird Lumagrove Version  %s  (%s bit) auf Ihrem PC installieren.\n"
       L"(Bitte mit Admin-Rechten ausführen)", 9, 48, 287, 21, 0},
      {S, L"Button", L"Verknüpfungen erzeugen:", 9, 72, 281, 79, kGroupBox},
      {S, L"Button", L"Zielverzeichnis:", 9, 165, 281, 33, kGroupBox},
      {1013, L"Static", L"Willkommen zur Lumagrove %s Installation!", 71, 10, 228, 32, 0},
      {1045, L"Static", L"Lumagrove EULA", 9, 207, 54, 10, 0},
      {S, L"Static", L"(End User License Agreement) lesen.", 63, 207, 157, 10, 0}}},
    {IDD_WHATS_NEW,
     {{S, L"Static", L"Was ist neu in dieser Version?", 0, 0, 113, 9, 0},
      {1000, L"Edit", L"", 0, 11, 299, 211,
       ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | WS_BORDER}}},
    {IDD_ASSOCIATIONS,
     {{S, L"Static", L"* - PlugIns", 0, 209, 40, 10, 0},
      {1091, L"Button", L"Nur Bilder", 45, 207, 56, 15, 0},
      {1080, L"Button", L"Alle markieren", 106, 207, 56, 15, 0},
      {1081, L"Button", L"Keine markieren", 167, 207, 56, 15, 0},
      {S, L"Button", L"Möchten Sie Dateien mit Lumagrove verknüpfen? (OPTIONAL !)", 0, 0, 299, 204,
       kGroupBox | WS_GROUP},
      {1579, L"SysListView32", L"", 7, 39, 285, 143,
       LVS_REPORT | LVS_SINGLESEL | LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP},
      {S, L"Static", L"INFO: wenn Sie ein Update durchführen, können Sie diesen Schritt überspringen",
       7, 188, 285, 8, 0},
      {S, L"Static", L"INFO: in Win10 muss man verwenden: System-Einstellungen, Apps, Standard-Apps !",
       7, 13, 289, 8, 0},
      {3311, L"Button", L"Schreibe Verknüpfungen in System-&Registry (für XP, Vista, Win7, Win8)", 7,
       28, 290, 8, kCheck}}},
    {IDD_READY,
     {{1014, L"Static", L"Bereit zum Installieren!", 9, 11, 179, 11, 0},
      {1010, L"Static", L"Zielverzeichnis:", 9, 53, 260, 10, 0},
      {1038, L"Button",
       L"&Lumagrove-Verzeichnis (für Fortgeschrittene: benötigt Admin-Rechte fürs Schreiben)", 17,
       96, 270, 10, kRadio | WS_GROUP},
      {1039, L"Button", L"\"&Anwendungsdaten\"-Verzeichnis (empfohlen)", 17, 110, 266, 10, kRadio},
      {S, L"Static", L"#113", 227, 8, 59, 19, SS_BITMAP},
      {S, L"Static", L"Drücken Sie den \"Weiter\" Knopf um die Installation zu starten ...", 9, 189,
       235, 12, 0},
      {S, L"Button", L"INI-Verzeichnis ändern (optional):", 9, 83, 281, 40, kGroupBox},
      {1044, L"Static", L"Installiere ... bitte warten ...", 19, 161, 260, 15,
       SS_CENTER | SS_CENTERIMAGE}}},
    {IDD_FINISH,
     {{1022, L"Button", L"Lumagrove &FAQs (Häufig gestellte Fragen) Webseite anzeigen", 5, 159, 265,
       10, kCheck},
      {1020, L"Button", L"Lumagrove &starten", 5, 173, 265, 10, kCheck},
      {1015, L"Static", L"Einrichtung abgeschlossen!", 5, 11, 186, 18, 0},
      {S, L"Static", L"#113", 235, 8, 59, 19, SS_BITMAP},
      {S, L"Static",
       L"Lumagrove deinstallieren?\n\nGehen Sie zu \"Start->Programme->Lumagrove\" und starten Sie "
       L"\"Lumagrove deinstallieren\".", 5, 196, 265, 25, 0},
      {S, L"Static", L"Anschließend ...", 5, 144, 265, 9, 0},
      {S, L"Static", L"Die Installation dieses Programms auf Ihrem Computer ist abgeschlossen.", 5,
       35, 270, 8, 0},
      {S, L"Static", L"________________________________________________________________________", 5, 184, 288, 8, 0}}},
};

TEST(WizardTemplates, AreChildPagesInTheWizardFont) {
  for (const Page& page : kPages) {
    Dialog dialog = LoadDialog(page.id);
    EXPECT_TRUE(dialog.style & WS_CHILD) << page.id;
    EXPECT_EQ(dialog.cx, 300) << page.id;
    EXPECT_EQ(dialog.cy, 222) << page.id;
    EXPECT_EQ(dialog.pointSize, 8) << page.id;
    EXPECT_EQ(dialog.font, L"Microsoft Sans Serif") << page.id;
  }
}

TEST(WizardTemplates, HoldEveryControlInTemplateOrder) {
  for (const Page& page : kPages) {
    Dialog dialog = LoadDialog(page.id);
    ASSERT_EQ(dialog.controls.size(), page.controls.size()) << page.id;
    for (size_t i = 0; i < page.controls.size(); ++i) {
      const Control& want = page.controls[i];
      const Control& got = dialog.controls[i];
      SCOPED_TRACE(testing::Message() << "template " << page.id << " control " << i);
      EXPECT_EQ(got.id, want.id);
      // windres writes class names in capitals; Windows compares them without case.
      EXPECT_EQ(_wcsicmp(got.cls.c_str(), want.cls.c_str()), 0) << std::string(got.cls.begin(), got.cls.end());
      EXPECT_EQ(got.text, want.text);
      EXPECT_EQ(got.x, want.x);
      EXPECT_EQ(got.y, want.y);
      EXPECT_EQ(got.cx, want.cx);
      EXPECT_EQ(got.cy, want.cy);
      EXPECT_EQ(got.style & want.style, want.style);
      if (want.cls == L"Button" && !(want.style & 0xF)) EXPECT_EQ(got.style & 0xF, 0u);
    }
  }
}

TEST(WizardTemplates, HideOnlyTheProgressLabel) {
  for (const Page& page : kPages)
    for (const Control& control : LoadDialog(page.id).controls)
      EXPECT_EQ((control.style & WS_VISIBLE) == 0, control.id == 1044) << control.id;
}

TEST(ReleaseNotes, AreGermanUtf16WithByteOrderMarkAndCrLf) {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_RELEASE_NOTES), L"TXT");
  ASSERT_NE(found, nullptr);
  DWORD bytes = SizeofResource(nullptr, found);
  const wchar_t* data = static_cast<const wchar_t*>(LockResource(LoadResource(nullptr, found)));
  ASSERT_EQ(bytes % 2, 0u);
  std::wstring text(data, bytes / 2);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text[0], L'\xFEFF');
  EXPECT_LT(text.size(), 10240u);
  EXPECT_NE(text.find(L"4.58"), std::wstring::npos);
  EXPECT_NE(text.find(L"ü"), std::wstring::npos);  // umlauts survive as single characters
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == L'\n') ASSERT_TRUE(i > 0 && text[i - 1] == L'\r') << i;
  EXPECT_EQ(text.find(L'\0'), std::wstring::npos);
}

}  // namespace
