// The file type table's invariants and the rows the associations page and /assoc= rely on.
#include <gtest/gtest.h>

#include <cwctype>
#include <set>
#include <string>

#include "engine/install_options.h"
#include "integration/file_types.h"

namespace {

int ExtensionCount(const FileTypeRow& row) {
  int n = 0;
  while (n < kMaxRowExtensions && row.extensions[n].extension) ++n;
  return n;
}

const FileTypeRow* RowOf(const wchar_t* extension, int* index = nullptr) {
  for (int i = 0; i < kFileTypeRowCount; ++i)
    for (int e = 0; e < ExtensionCount(FileTypeTable[i]); ++e)
      if (std::wstring(FileTypeTable[i].extensions[e].extension) == extension) {
        if (index) *index = i;
        return &FileTypeTable[i];
      }
  return nullptr;
}

const wchar_t* StemOf(const wchar_t* extension) {
  const FileTypeRow* row = RowOf(extension);
  if (!row) return L"";
  for (const FileExtension& e : row->extensions)
    if (e.extension && std::wstring(e.extension) == extension) return e.progIdStem;
  return L"";
}

}  // namespace

TEST(FileTypeTable, HoldsEightyFourUniqueExtensionsWithSixtySevenProgIds) {
  std::set<std::wstring> extensions, stems;
  int total = 0;
  for (const FileTypeRow& row : FileTypeTable) {
    int count = ExtensionCount(row);
    ASSERT_GE(count, 1) << row.extensionLabel;
    // Pairs are packed: nothing follows the first empty pair.
    for (int e = count; e < kMaxRowExtensions; ++e)
      EXPECT_EQ(row.extensions[e].extension, nullptr) << row.extensionLabel;
    EXPECT_STREQ(row.extensions[0].extension, row.extensions[0].progIdStem) << row.extensionLabel;
    for (int e = 0; e < count; ++e) {
      EXPECT_TRUE(extensions.insert(row.extensions[e].extension).second)
          << row.extensions[e].extension << " twice";
      stems.insert(row.extensions[e].progIdStem);
      ++total;
    }
  }
  EXPECT_EQ(total, 84);
  EXPECT_EQ(extensions.size(), 84u);
  EXPECT_EQ(stems.size(), 67u);
  // Every stem is itself one of the extensions.
  for (const std::wstring& stem : stems) EXPECT_NE(RowOf(stem.c_str()), nullptr) << stem;
}

// The label is fixed text, but every row's label spells its extensions in upper case.
TEST(FileTypeTable, LabelsSpellTheExtensionsAndNamesCarryTheirMarker) {
  int pluginRows = 0;
  for (const FileTypeRow& row : FileTypeTable) {
    std::wstring spelled;
    for (int e = 0; e < ExtensionCount(row); ++e) {
      if (e) spelled += L'/';
      for (const wchar_t* c = row.extensions[e].extension; *c; ++c) {
        EXPECT_FALSE(std::iswupper(*c)) << row.extensions[e].extension;
        spelled += static_cast<wchar_t>(std::towupper(*c));
      }
    }
    EXPECT_EQ(spelled, row.extensionLabel);
    std::wstring name = row.displayName;
    size_t star = name.find(L'*');
    if (star == std::wstring::npos) continue;
    // The marker is a blank and an asterisk at the very end, nowhere else.
    EXPECT_EQ(star, name.size() - 1) << row.displayName;
    EXPECT_EQ(name[star - 1], L' ') << row.displayName;
    ++pluginRows;
  }
  EXPECT_EQ(pluginRows, 44);
  EXPECT_STREQ(FileTypeTable[2].displayName, L"Windows Bitmap");
  EXPECT_STREQ(FileTypeTable[0].displayName, L"Animated Windows Cursors *");
  EXPECT_STREQ(FileTypeTable[43].displayName, L"Weppy Format *");
}

TEST(FileTypeTable, SecondaryExtensionsKeepOrShareTheirStem) {
  struct Case {
    const wchar_t* extension;
    const wchar_t* stem;
  };
  const Case cases[] = {
      {L"jng", L"jng"}, {L"cr2", L"cr2"}, {L"cr3", L"cr3"},  {L"mpe", L"mpe"},
      {L"flv", L"flv"}, {L"rmi", L"rmi"}, {L"mpeg", L"mpg"}, {L"tiff", L"tif"},
      {L"dib", L"bmp"}, {L"jpeg", L"jpg"}, {L"jpe", L"jpg"}, {L"iw44", L"djvu"},
      {L"snd", L"au"},  {L"ps", L"eps"},  {L"wdp", L"hdp"},  {L"ima", L"dcm"},
  };
  for (const Case& c : cases) EXPECT_STREQ(StemOf(c.extension), c.stem) << c.extension;
}

TEST(FileTypeTable, IconKindsFollowTheFormatFamily) {
  for (int i = 0; i < kFileTypeRowCount; ++i) {
    std::wstring label = FileTypeTable[i].extensionLabel;
    IconSource expected = IconSource::Viewer0;
    if (label == L"ANI" || label == L"CUR" || label == L"ICO")
      expected = IconSource::Own;
    else if (i >= 49 && i <= 53)
      expected = IconSource::Viewer9;
    else if (i >= 54)
      expected = IconSource::Viewer8;
    EXPECT_EQ(FileTypeTable[i].iconSource, expected) << label;
  }
  int row = -1;
  RowOf(L"avi", &row);
  EXPECT_EQ(row, 50);
  RowOf(L"mp3", &row);
  EXPECT_EQ(row, 56);
}

// "Nur Bilder" and /assoc=1 stop at the first non-image row.
TEST(FileTypeTable, ImageRowsEndBeforeTheFlashRow) {
  EXPECT_EQ(kImageRowCount, 47);
  EXPECT_STREQ(FileTypeTable[kImageRowCount - 1].extensionLabel, L"XPM");
  EXPECT_STREQ(FileTypeTable[kImageRowCount].extensionLabel, L"SWF/FLV");
  EXPECT_STREQ(FileTypeTable[kFileTypeRowCount - 1].extensionLabel, L"WMA");
  EXPECT_GT(kSelectionCount, kFileTypeRowCount);
}
