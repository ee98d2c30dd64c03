/* Prints the shell links of the folders given as arguments as the shell reads them
   (IShellLinkW after IPersistFile::Load): one UTF-8 line per .lnk, tab-separated: folder
   as given, file name, target, arguments, icon path, icon index, description. A missing
   folder prints nothing. */
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
      field(folder, L"\t");
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

static void print_folder(const wchar_t* folder) {
  wchar_t pattern[2 * MAX_PATH];
  WIN32_FIND_DATAW found;
  HANDLE search;
  wsprintfW(pattern, L"%s\\*.lnk", folder);
  search = FindFirstFileW(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do print_link(folder, found.cFileName);
  while (FindNextFileW(search, &found));
  FindClose(search);
}

int main(void) {
  int argc = 0, i;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (!argv) return 3;
  CoInitialize(NULL);
  for (i = 1; i < argc; ++i) print_folder(argv[i]);
  CoUninitialize();
  return 0;
}
