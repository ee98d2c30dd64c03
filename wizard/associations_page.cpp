// The file associations page (index 2): the check-box list of file types and its buttons.
#include <windows.h>
#include <commctrl.h>

#include "engine/install_options.h"
#include "framework/window.h"
#include "integration/file_types.h"
#include "wizard/control_ids.h"
#include "wizard/wiz_page.h"
#include "wizard/wiz_sheet.h"

namespace {

constexpr COLORREF kDisabledBackground = 0xC0C0C0;  // light grey
constexpr COLORREF kDisabledText = 0x0080FF;        // orange
constexpr int kUnmarked = 1;
constexpr int kMarked = 2;

int RowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

void InsertColumn(HWND list, int index, int width) {
  LVCOLUMNW column = {};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = width;
  column.pszText = const_cast<wchar_t*>(L"");
  column.iSubItem = index;
  SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

}  // namespace

void AddTypeListRow(HWND list, const wchar_t* extensionLabel, const wchar_t* displayName,
                    int index) {
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.iSubItem = 0;
  item.pszText = const_cast<wchar_t*>(extensionLabel ? extensionLabel : L"");
  item.cchTextMax = static_cast<int>(wcslen(item.pszText)) + 1;
  SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  item.iSubItem = 1;
  item.pszText = const_cast<wchar_t*>(displayName ? displayName : L"");
  SendMessageW(list, LVM_SETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
}

void EnableTypeList(CWizPropertyPage& page, HWND list, bool enable, COLORREF background,
                    COLORREF text) {
  if (!list) return;
  EnableWindow(list, enable);
  SendMessageW(list, LVM_SETBKCOLOR, 0, background);
  SendMessageW(list, LVM_SETTEXTCOLOR, 0, text);
  page.EnableDlgItem(IDC_IMAGES_ONLY, enable);
  page.EnableDlgItem(IDC_MARK_ALL, enable);
  page.EnableDlgItem(IDC_MARK_NONE, enable);
}

void SetTypeListMark(HWND list, int row, int stateImage) {
  LVITEMW item = {};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(stateImage);
  SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void ReadTypeListSelection(HWND list, int32_t* selection, int32_t* associationMode) {
  for (int i = 0; i < kSelectionCount; ++i) selection[i] = 0;
  *associationMode = 0;
  if (!list || !IsWindowEnabled(list)) return;
  // The list never has more rows than the selection has entries; stop there if it had.
  for (int i = 0; i < RowCount(list) && i < kSelectionCount; ++i) {
    UINT state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK));
    if ((state >> 12) != kUnmarked) {
      selection[i] = 1;
      *associationMode = 1;
    }
  }
}

void CWizPropertyPage::SetUpTypeList() {
  if (!sheet->fileTypeList) {
    HWND list = GetDlgItem(IDC_TYPE_LIST);
    sheet->fileTypeList = list;
    if (listTextColour == CLR_INVALID) {
      listBackColour = static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0));
      listTextColour = static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0));
    }
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT rect;
    GetWindowRect(list, &rect);
    int width = rect.right - rect.left;
    InsertColumn(list, 0, width / 3);
    InsertColumn(list, 1, (2 * width) / 3 - MulDiv(25, GetWindowDpi(list), 96));
    for (int row = 0; row < kFileTypeRowCount; ++row)
      AddTypeListRow(list, FileTypeTable[row].extensionLabel, FileTypeTable[row].displayName, row);
  }
  if (!IsDlgButtonChecked(IDC_REGISTRY_BOX))
    EnableTypeList(*this, sheet->fileTypeList, false, kDisabledBackground, kDisabledText);
}

void CWizPropertyPage::OnRegistryBox() {
  if (IsDlgButtonChecked(IDC_REGISTRY_BOX))
    EnableTypeList(*this, sheet->fileTypeList, true, listBackColour, listTextColour);
  else
    EnableTypeList(*this, sheet->fileTypeList, false, kDisabledBackground, kDisabledText);
}

void CWizPropertyPage::OnImagesOnly() {
  HWND list = sheet->fileTypeList;
  if (!list) return;
  for (int row = 0; row < kImageRowCount; ++row) SetTypeListMark(list, row, kMarked);
  for (int row = kImageRowCount; row < RowCount(list); ++row) SetTypeListMark(list, row, kUnmarked);
}

void CWizPropertyPage::OnMarkAll() {
  HWND list = sheet->fileTypeList;
  for (int row = 0; list && row < RowCount(list); ++row) SetTypeListMark(list, row, kMarked);
}

void CWizPropertyPage::OnMarkNone() {
  HWND list = sheet->fileTypeList;
  for (int row = 0; list && row < RowCount(list); ++row) SetTypeListMark(list, row, kUnmarked);
}
