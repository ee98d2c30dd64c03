/* Prints the shell links of a folder as the shell reads them (IShellLinkW after
   IPersistFile::Load): one UTF-8 line per .lnk, tab-separated: file name, target,
   arguments, icon path, icon index, description. Exit code 2 when the folder is missing. */
#define COBJMACROS
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <shellapi.h>

static HANDLE out;

static void put(const wchar_t* text) {
  char bytes[4 * MAX_PATH + 8];
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof(bytes), NULL, NULL);
  DWORD written;
  if (n > 1) WriteFile(out, bytes, (DWORD)(n - 1), &written, NULL);
}

static void field(const wchar_t* text, const wchar_t* after) {
  put(text);
  put(after);
}

static void print_link(const wchar_t* folder, const wchar_t* name) {
  wchar_t path[2 * MAX_PATH], target[MAX_PATH] = L"", args[MAX_PATH] = L"";
  wchar_t icon[MAX_PATH] = L"", description[MAX_PATH] = L"", index_text[16];
  int index = 0;
  IShellLinkW* link = NULL;
  IPersistFile* file = NULL;
  wsprintfW(path, L"%s\\%s", folder, name);
  if (FAILED(CoCreateInstance(&CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, &IID_IShellLinkW,
                              (void**)&link)))
    return;
  if (SUCCEEDED(IShellLinkW_QueryInterface(link, &IID_IPersistFile, (void**)&file))) {
    if (SUCCEEDED(IPersistFile_Load(file, path, STGM_READ))) {
      IShellLinkW_GetPath(link, target, MAX_PATH, NULL, SLGP_RAWPATH);
      IShellLinkW_GetArguments(link, args, MAX_PATH);
      IShellLinkW_GetIconLocation(link, icon, MAX_PATH, &index);
      IShellLinkW_GetDescription(link, description, MAX_PATH);
      wsprintfW(index_text, L"%d", index);
      field(name, L"\t");
      field(target, L"\t");
      field(args, L"\t");
      field(icon, L"\t");
      field(index_text, L"\t");
      field(description, L"\n");
    }
    IPersistFile_Release(file);
  }
  IShellLinkW_Release(link);
}

int main(void) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  wchar_t pattern[2 * MAX_PATH];
  WIN32_FIND_DATAW found;
  HANDLE search;
  out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!argv || argc < 2) return 3;
  wsprintfW(pattern, L"%s\\*.lnk", argv[1]);
  if (GetFileAttributesW(argv[1]) == INVALID_FILE_ATTRIBUTES) return 2;
  CoInitialize(NULL);
  search = FindFirstFileW(pattern, &found);
  if (search != INVALID_HANDLE_VALUE) {
    do print_link(argv[1], found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
  }
  CoUninitialize();
  return 0;
}
