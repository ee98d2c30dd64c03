// The fixed table of file formats that can be associated with the viewer.
#pragma once

constexpr int kFileTypeRowCount = 61;
constexpr int kImageRowCount = 47;  // rows 0 to 46 are image formats
constexpr int kMaxRowExtensions = 3;

// Which icon the ProgIDs of a row show: the viewer's icon 0, 9 or 8, or the file itself.
enum class IconSource { Viewer0, Viewer9, Viewer8, Own };

struct FileExtension {
  const wchar_t* extension;   // lower case, no dot
  const wchar_t* progIdStem;  // lower case
};

struct FileTypeRow {
  const wchar_t* extensionLabel;
  const wchar_t* displayName;  // " *" at the end: read through a plug-in
  FileExtension extensions[kMaxRowExtensions];  // unused pairs are null
  IconSource iconSource;
};

extern const FileTypeRow FileTypeTable[kFileTypeRowCount];
