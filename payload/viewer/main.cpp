// The viewer's stand-in: shows one image, or with "/thumbs" the image files of a folder.
//
//   lg_show64.exe                     an empty window that takes dropped files
//   lg_show64.exe FILE                the image, fitted into the window
//   lg_show64.exe /thumbs [FOLDER]    the folder's image files (default: current folder)
//   lg_show64.exe FOLDER [/thumbs]    the same; this is the shell's browse verb
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwchar>

#include "base/text_rules.h"
#include "payload/common/wic_image.h"

namespace {

constexpr wchar_t kWindowClass[] = L"Lumagrove";
constexpr wchar_t kProductTitle[] = L"Lumagrove 4.58 (64-bit)";
constexpr size_t kPathChars = 1024;
constexpr COLORREF kBackground = RGB(48, 48, 48);
constexpr COLORREF kTextColour = RGB(230, 230, 230);
constexpr int kListId = 100;

// File extensions the thumbnail list shows: what WIC decodes on a plain system.
constexpr const wchar_t* kImageExtensions[] = {L".bmp", L".dib", L".gif", L".ico", L".jpg",
                                               L".jpeg", L".jpe", L".jfif", L".png", L".tif",
                                               L".tiff", L".wdp", L".jxr", L".dds", L".webp",
                                               L".heic"};

enum class Mode { Empty, Image, Error, Thumbnails };

// The shown image: a top-down 32-bit DIB section, filled once when the image is opened.
struct ShownImage {
  UniqueGdiObject section;
  void* bits = nullptr;
  BITMAPINFO info = {};

  int width() const { return info.bmiHeader.biWidth; }
  int height() const { return -info.bmiHeader.biHeight; }
};

struct Viewer {
  HWND window = nullptr;
  HWND list = nullptr;
  Mode mode = Mode::Empty;
  wchar_t path[kPathChars] = L"";  // the image, or the folder of the thumbnails
  ShownImage image;
  ComPtr<IWICImagingFactory> factory;
};

Viewer g_viewer;

// --- Command line -------------------------------------------------------------------------

// Windows paths do not escape quotes: a quote toggles quoting and a backslash is a
// character, so the shell's quoted folder "C:\" stays C:\ instead of C:".
const wchar_t* NextArgument(const wchar_t* p, wchar_t* arg, size_t capacity) {
  while (*p == L' ' || *p == L'\t') ++p;
  if (!*p) return nullptr;
  size_t n = 0;
  bool quoted = false;
  for (; *p && (quoted || (*p != L' ' && *p != L'\t')); ++p) {
    if (*p == L'"')
      quoted = !quoted;
    else if (n + 1 < capacity)
      arg[n++] = *p;
  }
  arg[n] = L'\0';
  return p;
}

struct Request {
  bool thumbnails = false;
  wchar_t path[kPathChars] = L"";
};

Request ParseCommandLine(const wchar_t* line) {
  Request request;
  wchar_t arg[kPathChars];
  const wchar_t* p = NextArgument(line, arg, kPathChars);  // the program itself
  while (p && (p = NextArgument(p, arg, kPathChars)) != nullptr) {
    if (_wcsicmp(arg, L"/thumbs") == 0)
      request.thumbnails = true;
    else if (!request.path[0] && arg[0])
      CopyText(request.path, kPathChars, arg);
  }
  return request;
}

bool IsFolder(const wchar_t* path) {
  DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsImageName(const wchar_t* name) {
  const wchar_t* ext = PathFindExtensionW(name);
  for (const wchar_t* known : kImageExtensions)
    if (_wcsicmp(ext, known) == 0) return true;
  return false;
}

// --- Window contents ----------------------------------------------------------------------

void SetTitle(const wchar_t* detail) {
  wchar_t title[kPathChars + 64];
  if (detail && detail[0])
    swprintf(title, kPathChars + 64, L"%ls - Lumagrove", detail);
  else
    CopyText(title, kPathChars + 64, kProductTitle);
  SetWindowTextW(g_viewer.window, title);
}

// Decodes the file and puts its pixels, flattened onto the background, into a DIB section.
bool LoadShownImage(const wchar_t* path, ShownImage& shown) {
  shown = ShownImage();
  DecodedImage image;
  if (!g_viewer.factory || FAILED(DecodeImageFile(g_viewer.factory.get(), path, image)))
    return false;
  FlattenOnto(image, kBackground);
  BITMAPINFOHEADER& header = shown.info.bmiHeader;
  header.biSize = sizeof(header);
  header.biWidth = LONG(image.width);
  header.biHeight = -LONG(image.height);  // top-down rows, as WIC delivers them
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  shown.section.reset(CreateDIBSection(nullptr, &shown.info, DIB_RGB_COLORS, &shown.bits,
                                       nullptr, 0));
  if (!shown.section || !shown.bits) {
    shown = ShownImage();
    return false;
  }
  CopyMemory(shown.bits, image.bytes(), SIZE_T(image.stride()) * image.height);
  GdiFlush();
  return true;
}

void ShowImage(const wchar_t* path) {
  if (g_viewer.list) ShowWindow(g_viewer.list, SW_HIDE);
  CopyText(g_viewer.path, kPathChars, path);
  wchar_t detail[kPathChars + 64];
  if (LoadShownImage(path, g_viewer.image)) {
    g_viewer.mode = Mode::Image;
    swprintf(detail, kPathChars + 64, L"%ls (%d x %d Pixel)", PathFindFileNameW(path),
             g_viewer.image.width(), g_viewer.image.height());
  } else {
    g_viewer.mode = Mode::Error;
    CopyText(detail, kPathChars + 64, PathFindFileNameW(path));
  }
  SetTitle(detail);
  InvalidateRect(g_viewer.window, nullptr, TRUE);
}

int FillThumbnailList(const wchar_t* folder) {
  SendMessageW(g_viewer.list, LB_RESETCONTENT, 0, 0);
  wchar_t pattern[kPathChars];
  CopyText(pattern, kPathChars, folder);
  if (!AppendBackslash(pattern, kPathChars) || !AppendText(pattern, kPathChars, L"*")) return 0;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsImageName(found.cFileName)) {
      SendMessageW(g_viewer.list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
      ++count;
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return count;
}

void ShowThumbnails(const wchar_t* folder) {
  wchar_t full[kPathChars];
  if (!folder[0] || !GetFullPathNameW(folder, kPathChars, full, nullptr))
    GetCurrentDirectoryW(kPathChars, full);
  CopyText(g_viewer.path, kPathChars, full);
  g_viewer.image = ShownImage();
  g_viewer.mode = Mode::Thumbnails;
  int count = FillThumbnailList(full);
  ShowWindow(g_viewer.list, SW_SHOW);
  SetFocus(g_viewer.list);
  SendMessageW(g_viewer.list, LB_SETCURSEL, 0, 0);
  wchar_t detail[kPathChars + 64];
  swprintf(detail, kPathChars + 64, L"Miniaturansichten: %ls (%d %ls)", full, count,
           count == 1 ? L"Bild" : L"Bilder");
  SetTitle(detail);
}

void Open(const wchar_t* path, bool thumbnails) {
  if (thumbnails || (path[0] && IsFolder(path)))
    ShowThumbnails(path);
  else if (path[0])
    ShowImage(path);
}

// Opens the selected list entry in a viewer of its own; the list stays.
void OpenSelectedThumbnail() {
  LRESULT index = SendMessageW(g_viewer.list, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return;
  wchar_t name[MAX_PATH];
  if (SendMessageW(g_viewer.list, LB_GETTEXTLEN, index, 0) >= MAX_PATH) return;
  SendMessageW(g_viewer.list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name));
  wchar_t file[kPathChars + 2] = L"\"";
  AppendText(file, kPathChars + 2, g_viewer.path);
  AppendBackslash(file, kPathChars + 2);
  if (!AppendText(file, kPathChars + 2, name) || !AppendText(file, kPathChars + 2, L"\""))
    return;
  wchar_t self[kPathChars];
  if (!GetModuleFileNameW(nullptr, self, kPathChars)) return;
  ShellExecuteW(g_viewer.window, L"open", self, file, nullptr, SW_SHOWNORMAL);
}

void DrawCentredText(HDC dc, const RECT& client, const wchar_t* text) {
  RECT box = client;
  InflateRect(&box, -16, -16);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kTextColour);
  HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT measured = box;
  DrawTextW(dc, text, -1, &measured, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
  OffsetRect(&box, 0, (box.bottom - box.top - (measured.bottom - measured.top)) / 2);
  DrawTextW(dc, text, -1, &box, DT_CENTER | DT_WORDBREAK);
  SelectObject(dc, old);
}

// The image shrunk to fit the window (never enlarged), centred.
void DrawImage(HDC dc, const RECT& client) {
  const ShownImage& image = g_viewer.image;
  LONG cw = client.right, ch = client.bottom;
  double scale = 1.0;
  if (image.width() > cw || image.height() > ch)
    scale = std::min(double(cw) / image.width(), double(ch) / image.height());
  int w = std::max(1, int(image.width() * scale + 0.5));
  int h = std::max(1, int(image.height() * scale + 0.5));
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchDIBits(dc, (cw - w) / 2, (ch - h) / 2, w, h, 0, 0, image.width(), image.height(),
                image.bits, &image.info, DIB_RGB_COLORS, SRCCOPY);
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  UniqueGdiObject brush(CreateSolidBrush(kBackground));
  FillRect(dc, &client, static_cast<HBRUSH>(brush.get()));
  wchar_t text[kPathChars + 128];
  switch (g_viewer.mode) {
    case Mode::Image:
      DrawImage(dc, client);
      break;
    case Mode::Error:
      swprintf(text, kPathChars + 128, L"Die Datei kann nicht als Bild gelesen werden:\n%ls",
               g_viewer.path);
      DrawCentredText(dc, client, text);
      break;
    case Mode::Empty:
      DrawCentredText(dc, client,
                      L"Kein Bild geöffnet.\n\nZiehen Sie eine Bilddatei oder einen Ordner "
                      L"in dieses Fenster.");
      break;
    case Mode::Thumbnails:
      break;
  }
  EndPaint(window, &ps);
}

void OnDropFiles(HDROP drop) {
  wchar_t path[kPathChars];
  if (DragQueryFileW(drop, 0, path, kPathChars)) Open(path, false);
  DragFinish(drop);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      g_viewer.window = window;
      g_viewer.list = CreateWindowExW(
          WS_EX_CLIENTEDGE, L"LISTBOX", nullptr,
          WS_CHILD | WS_VSCROLL | LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0,
          window, reinterpret_cast<HMENU>(INT_PTR(kListId)), nullptr, nullptr);
      SendMessageW(g_viewer.list, WM_SETFONT,
                   reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
      DragAcceptFiles(window, TRUE);
      return 0;
    case WM_SIZE:
      MoveWindow(g_viewer.list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT fills everything
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kListId && HIWORD(wParam) == LBN_DBLCLK) OpenSelectedThumbnail();
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  ComInit com;
  CreateImagingFactory(g_viewer.factory);  // without it every image shows the error text

  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), 0));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&wc)) return 1;
  HWND window = CreateWindowExW(0, kWindowClass, kProductTitle, WS_OVERLAPPEDWINDOW,
                                CW_USEDEFAULT, CW_USEDEFAULT, 900, 650, nullptr, nullptr,
                                instance, nullptr);
  if (!window) return 1;

  Request request = ParseCommandLine(GetCommandLineW());
  Open(request.path, request.thumbnails);
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      DestroyWindow(window);
      continue;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && msg.hwnd == g_viewer.list) {
      OpenSelectedThumbnail();
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  g_viewer.factory.reset();  // before CoUninitialize
  return 0;
}
