// Test driver for the setup wizard and the progress window of silent runs: runs inside the
// installer's Wine prefix, starts the installer, and answers one command per input line by
// reading and clicking its windows.
// Every wait is bounded. Answers are "ok [value]" or "err reason"; texts are escaped
// (\n, \r, \t, \\, and \s for a blank inside name=value fields).
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

PROCESS_INFORMATION setup = {};
HWND sheet = nullptr;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
  out.resize(n - 1);
  return out;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), n);
  out.resize(n - 1);
  return out;
}

std::string Escape(const std::wstring& text, bool field) {
  std::string out;
  for (char c : Utf8(text)) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case ' ':
        out += field ? "\\s" : " ";
        break;
      default: out += c;
    }
  }
  return out;
}

void Reply(const std::string& line) {
  fputs(line.c_str(), stdout);
  fputc('\n', stdout);
  fflush(stdout);
}
void Ok(const std::string& value = {}) { Reply(value.empty() ? "ok" : "ok " + value); }
void Fail(const std::string& why) { Reply("err " + why); }

bool Alive() { return setup.hProcess && WaitForSingleObject(setup.hProcess, 0) == WAIT_TIMEOUT; }

// Sends with a bound; false when the target did not answer in time (it may still run it).
bool SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
                 UINT timeout = 3000) {
  DWORD_PTR answer = 0;
  LRESULT ok = SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeout, &answer);
  if (result) *result = static_cast<LRESULT>(answer);
  return ok != 0;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::wstring TextOf(HWND window) {
  LRESULT length = 0;
  if (!SendBounded(window, WM_GETTEXTLENGTH, 0, 0, &length)) return L"";
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  LRESULT copied = 0;
  SendBounded(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), &copied);
  text.resize(static_cast<size_t>(copied));
  return text;
}

DWORD ProcessOf(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

// Top-level dialogs of the installer, visible ones only.
std::vector<HWND> SetupDialogs() {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search = {setup.dwProcessId, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (ProcessOf(window) == s->pid && IsWindowVisible(window) &&
            ClassOf(window) == L"#32770")
          s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool IsSheet(HWND window) { return GetDlgItem(window, 12324) && GetDlgItem(window, 12323); }

template <class Condition>
bool WaitFor(DWORD timeout, Condition condition) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeout) return false;
    Sleep(50);
  }
}

HWND FindOtherDialog() {
  for (HWND dialog : SetupDialogs())
    if (dialog != sheet && !IsSheet(dialog)) return dialog;
  return nullptr;
}

int CurrentPage() {
  LRESULT page = 0, index = -1;
  if (!SendBounded(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, &page)) return -2;
  if (!SendBounded(sheet, PSM_HWNDTOINDEX, static_cast<WPARAM>(page), 0, &index)) return -2;
  return static_cast<int>(index);
}

HWND PageWindow(int index) {
  LRESULT page = 0;
  SendBounded(sheet, PSM_INDEXTOHWND, index, 0, &page);
  return reinterpret_cast<HWND>(page);
}

// "sheet" names the sheet itself, a number names a page.
HWND Control(const std::string& where, int id) {
  HWND parent = where == "sheet" ? sheet : PageWindow(atoi(where.c_str()));
  return parent ? GetDlgItem(parent, id) : nullptr;
}

std::vector<std::string> Split(const std::string& line, size_t limit, std::string* rest) {
  std::vector<std::string> words;
  size_t pos = 0;
  while (pos < line.size() && words.size() < limit) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    size_t end = line.find(' ', pos);
    if (end == std::string::npos) end = line.size();
    if (end > pos) words.push_back(line.substr(pos, end - pos));
    pos = end;
  }
  if (rest) *rest = pos < line.size() ? line.substr(pos + 1) : std::string();
  return words;
}

// Memory in the installer's process for the list view's pointer messages.
class RemoteBlock {
 public:
  explicit RemoteBlock(SIZE_T size)
      : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                             setup.dwProcessId)),
        size_(size) {
    if (process_)
      address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBlock() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  void* get() const { return address_; }
  char* at(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
  bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
    return address_ && offset + size <= size_ &&
           WriteProcessMemory(process_, at(offset), data, size, nullptr);
  }
  bool Read(SIZE_T offset, void* data, SIZE_T size) const {
    return address_ && offset + size <= size_ &&
           ReadProcessMemory(process_, at(offset), data, size, nullptr);
  }

 private:
  HANDLE process_;
  SIZE_T size_;
  void* address_ = nullptr;
};

std::wstring ListText(HWND list, int row, int column) {
  RemoteBlock block(sizeof(LVITEMW) + 1024 * sizeof(wchar_t));
  LVITEMW item = {};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(block.at(sizeof(LVITEMW)));
  item.cchTextMax = 1024;
  if (!block.Write(0, &item, sizeof(item))) return L"";
  LRESULT length = 0;
  SendBounded(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(block.get()), &length);
  std::wstring text(1024, L'\0');
  block.Read(sizeof(LVITEMW), text.data(), 1024 * sizeof(wchar_t));
  text.resize(wcsnlen(text.c_str(), 1024));
  return text;
}

bool SetListState(HWND list, int row, int stateImage) {
  RemoteBlock block(sizeof(LVITEMW));
  LVITEMW item = {};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(stateImage);
  if (!block.Write(0, &item, sizeof(item))) return false;
  return SendBounded(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(block.get()), nullptr);
}

std::string Hex(unsigned long value) {
  char text[32];
  snprintf(text, sizeof(text), "0x%06lX", value);
  return text;
}

std::string DescribeDialog(HWND dialog) {
  std::string out = "caption=" + Escape(TextOf(dialog), true);
  std::wstring text;
  std::string buttons, defaults;
  bool icon = false;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    std::wstring cls = ClassOf(child);
    LONG style = GetWindowLongW(child, GWL_STYLE);
    int id = GetDlgCtrlID(child);
    if (_wcsicmp(cls.c_str(), L"Button") == 0 && IsWindowVisible(child)) {
      buttons += (buttons.empty() ? "" : ",") + std::to_string(id);
      if ((style & 0x0F) == BS_DEFPUSHBUTTON) defaults = std::to_string(id);
    } else if (_wcsicmp(cls.c_str(), L"Static") == 0) {
      if ((style & SS_TYPEMASK) == SS_ICON) {
        LRESULT handle = 0;
        SendBounded(child, STM_GETICON, 0, 0, &handle);
        icon = icon || handle != 0;
      } else {
        std::wstring part = TextOf(child);
        if (!part.empty()) text += (text.empty() ? L"" : L"\n") + part;
      }
    }
  }
  out += " text=" + Escape(text, true) + " buttons=" + buttons + " default=" + defaults +
         " icon=" + (icon ? "1" : "0");
  return out;
}

void Start(const std::string& rest) {
  // "start FOLDER|COMMAND LINE"
  size_t bar = rest.find('|');
  if (bar == std::string::npos) return Fail("usage");
  std::wstring folder = Wide(rest.substr(0, bar));
  std::wstring line = Wide(rest.substr(bar + 1));
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  // On a Wine desktop of its own (explorer /desktop=NAME) the installer gets frames.
  wchar_t desktop[64] = {};
  if (GetEnvironmentVariableW(L"LG_DESKTOP", desktop, 64)) startup.lpDesktop = desktop;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &setup))
    return Fail("cannot start");
  Ok(std::to_string(setup.dwProcessId));
}

void FindSheet(DWORD timeout) {
  sheet = nullptr;
  bool found = WaitFor(timeout, [] {
    for (HWND dialog : SetupDialogs())
      if (IsSheet(dialog)) sheet = dialog;
    return sheet != nullptr;
  });
  if (!found) return Fail("no sheet");
  Ok(std::to_string(reinterpret_cast<uintptr_t>(sheet)));
}

// Visible top-level windows of the installer, of any class.
std::vector<HWND> SetupWindows() {
  struct Search {
    DWORD pid;
    std::vector<HWND> found;
  } search = {setup.dwProcessId, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (ProcessOf(window) == s->pid && IsWindowVisible(window)) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," +
         std::to_string(r.right - r.left) + "," + std::to_string(r.bottom - r.top);
}

HWND ProgressBarOf(HWND window) { return FindWindowExW(window, nullptr, PROGRESS_CLASSW, nullptr); }

std::wstring ServerText(HWND window) {
  // For a window of another process this reads the stored text and sends nothing, so it
  // works while the installer's thread is suspended.
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

// The installer's progress window. Once it is seen, the installer runs in lockstep with
// the driver: its thread stays suspended except to go on to its next progress report.
class ProgressView {
 public:
  ~ProgressView() {
    if (held_) ResumeThread(setup.hThread);
  }

  // Waits for a visible window of the installer with a progress bar and holds the
  // installer there; false when it ended (or the time ran out) before.
  bool Find(DWORD timeout, std::vector<HWND>* seen) {
    for (DWORD start = GetTickCount(); Alive() && GetTickCount() - start < timeout; Sleep(1)) {
      for (HWND candidate : SetupWindows()) {
        Note(candidate, seen);
        if (HWND bar = ProgressBarOf(candidate)) {
          held_ = SuspendThread(setup.hThread) != static_cast<DWORD>(-1);
          window = candidate;
          bar_ = bar;
          return held_;
        }
      }
    }
    return false;
  }

  // Lets the installer go on to its next report, where it pumps its window and answers
  // the message; then holds it again. False when the window went away meanwhile.
  bool Ask(UINT message, LRESULT* answer) {
    ResumeThread(setup.hThread);
    bool answered = SendBounded(bar_, message, 0, 0, answer, 30000);
    SuspendThread(setup.hThread);
    return answered;
  }

  std::wstring StepText() const {
    return ServerText(FindWindowExW(window, nullptr, L"Static", nullptr));
  }

  static void Note(HWND window, std::vector<HWND>* seen) {
    if (!seen) return;
    for (HWND known : *seen)
      if (known == window) return;
    seen->push_back(window);
  }

  HWND window = nullptr;

 private:
  HWND bar_ = nullptr;
  bool held_ = false;
};

std::string WindowFacts(HWND window) {
  int buttons = 0;
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (_wcsicmp(ClassOf(child).c_str(), L"Button") == 0) ++buttons;
  RECT r;
  GetWindowRect(window, &r);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
  bool sysmenu = (GetWindowLongW(window, GWL_STYLE) & WS_SYSMENU) != 0;
  return "title=" + Escape(ServerText(window), true) + " class=" + Escape(ClassOf(window), true) +
         " buttons=" + std::to_string(buttons) + " sysmenu=" + std::to_string(sysmenu ? 1 : 0) +
         " rect=" + RectText(r) + " work=" + RectText(monitor.rcWork);
}

// watch TIMEOUT: follows a silent run to its end. Answers its exit code, how many visible
// windows it showed, and for the one with a progress bar its facts, the step texts in the
// order they appeared, the bar's range and the positions it went through.
void Watch(DWORD timeout) {
  std::vector<HWND> seen;
  std::string facts;
  std::wstring steps;
  std::string positions;
  LRESULT high = -1;
  DWORD start = GetTickCount();
  {
    ProgressView view;
    if (view.Find(timeout, &seen)) {
      facts = WindowFacts(view.window);
      std::wstring last;
      // Position and range take turns; the step text is read at every report.
      for (bool position = true; GetTickCount() - start < timeout; position = !position) {
        LRESULT value = 0;
        if (!view.Ask(position ? PBM_GETPOS : PBM_GETRANGE, &value)) break;
        if (position) positions += (positions.empty() ? "" : ",") + std::to_string(value);
        if (!position) high = value;
        std::wstring text = view.StepText();
        if (!text.empty() && text != last) steps += (steps.empty() ? L"" : L"|") + text;
        if (!text.empty()) last = text;
        for (HWND window : SetupWindows()) ProgressView::Note(window, &seen);
      }
    }
  }
  DWORD left = timeout - std::min<DWORD>(timeout, GetTickCount() - start);
  if (WaitForSingleObject(setup.hProcess, left) != WAIT_OBJECT_0) return Fail("still running");
  DWORD code = 0;
  GetExitCodeProcess(setup.hProcess, &code);
  std::string out = "exit=" + std::to_string(code) + " windows=" + std::to_string(seen.size());
  if (!facts.empty())
    out += " " + facts + " steps=" + Escape(steps, true) + " high=" + std::to_string(high) +
           " positions=" + positions;
  Ok(out);
}

// pause POS TIMEOUT: holds the installer (its thread suspended, the window as drawn) once
// its progress bar stands at POS or beyond, until "resume"; answers the window's frame.
void PauseAt(LRESULT want, DWORD timeout) {
  ProgressView view;
  if (!view.Find(timeout, nullptr)) return Fail("no progress window");
  LRESULT pos = 0;
  while (pos < want)
    if (!view.Ask(PBM_GETPOS, &pos)) return Fail("no progress at " + std::to_string(want));
  // One report more: the installer answers before it paints what it reached.
  if (!view.Ask(PBM_GETPOS, &pos)) return Fail("the window went away");
  // Left suspended: one more suspension than the view's own, which it gives back.
  if (SuspendThread(setup.hThread) == static_cast<DWORD>(-1)) return Fail("cannot suspend");
  RECT r;
  GetWindowRect(view.window, &r);
  Ok(RectText(r));
}

void Command(const std::string& line) {
  std::string rest;
  std::vector<std::string> w = Split(line, 4, &rest);
  if (w.empty()) return Fail("empty");
  const std::string& c = w[0];
  auto arg = [&](size_t i, int fallback = 0) {
    return i < w.size() ? atoi(w[i].c_str()) : fallback;
  };
  if (c == "start") {
    std::string all = line.substr(line.find(' ') + 1);
    return Start(all);
  }
  if (c == "sheet") return FindSheet(arg(1, 20000));
  if (c == "alive") return Ok(Alive() ? "1" : "0");
  if (c == "watch") return Watch(arg(1, 60000));
  if (c == "pause") return PauseAt(arg(1), arg(2, 60000));
  if (c == "resume") {
    return ResumeThread(setup.hThread) == static_cast<DWORD>(-1) ? Fail("cannot resume") : Ok();
  }
  if (c == "wait-exit") {
    if (WaitForSingleObject(setup.hProcess, arg(1, 20000)) != WAIT_OBJECT_0)
      return Fail("still running");
    DWORD code = 0;
    GetExitCodeProcess(setup.hProcess, &code);
    return Ok(std::to_string(code));
  }
  if (c == "kill") {
    if (setup.hProcess) TerminateProcess(setup.hProcess, 99);
    return Ok();
  }
  if (c == "dialog") {
    HWND dialog = nullptr;
    if (!WaitFor(arg(1, 10000), [&] { return (dialog = FindOtherDialog()) != nullptr; }))
      return Fail("no dialog");
    Sleep(100);  // let it finish laying out its buttons
    return Ok(DescribeDialog(dialog));
  }
  if (c == "nodialog") {
    bool appeared = WaitFor(arg(1, 1500), [] { return FindOtherDialog() != nullptr; });
    return appeared ? Fail(DescribeDialog(FindOtherDialog())) : Ok();
  }
  if (c == "answer") {
    HWND dialog = nullptr;
    if (!WaitFor(arg(2, 10000), [&] { return (dialog = FindOtherDialog()) != nullptr; }))
      return Fail("no dialog");
    int id = arg(1);
    HWND button = GetDlgItem(dialog, id);
    if (!button) return Fail("no such button");
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    // The sheet's loop may not notice the closed box until another message arrives.
    bool closed = WaitFor(5000, [&] {
      if (sheet) PostMessageW(sheet, WM_NULL, 0, 0);
      return !IsWindow(dialog) || !IsWindowVisible(dialog);
    });
    return closed ? Ok() : Fail("dialog stays");
  }
  if (c == "window") {
    // window CLASS [timeout]: a top-level window of the class, and whether it is in front.
    std::wstring cls = Wide(w.size() > 1 ? w[1] : "");
    HWND found = nullptr;
    if (!WaitFor(arg(2, 10000), [&] { return (found = FindWindowW(cls.c_str(), nullptr)) != nullptr; }))
      return Fail("no window");
    return Ok("foreground=" + std::to_string(GetForegroundWindow() == found ? 1 : 0));
  }
  if (c == "nowindow") {
    std::wstring cls = Wide(w.size() > 1 ? w[1] : "");
    bool gone = WaitFor(arg(2, 0), [&] { return FindWindowW(cls.c_str(), nullptr) == nullptr; });
    return gone ? Ok() : Fail("window exists");
  }
  if (c == "closewindow") {
    std::wstring cls = Wide(w.size() > 1 ? w[1] : "");
    HWND found = FindWindowW(cls.c_str(), nullptr);
    if (found) PostMessageW(found, WM_CLOSE, 0, 0);
    return Ok(found ? "1" : "0");
  }
  if (!sheet) return Fail("no sheet yet");
  if (c == "title") return Ok(Escape(TextOf(sheet), false));
  if (c == "frame") {
    // The sheet's outer rectangle, frame included: "left,top,width,height" on the screen.
    RECT r;
    GetWindowRect(sheet, &r);
    return Ok(RectText(r));
  }
  if (c == "page") return Ok(std::to_string(CurrentPage()));
  if (c == "waitpage") {
    int want = arg(1);
    if (!WaitFor(arg(2, 20000), [&] { return CurrentPage() == want; }))
      return Fail("page is " + std::to_string(CurrentPage()));
    return Ok();
  }
  if (c == "pagecount") {
    int n = 0;
    LRESULT page = 0;
    while (n < 16 && SendBounded(sheet, PSM_INDEXTOPAGE, n, 0, &page) && page) ++n;
    return Ok(std::to_string(n));
  }
  if (c == "text" || c == "state" || c == "click" || c == "settext" || c == "font" ||
      c == "rect" || c == "lv" || c == "key" || c == "mouseclick") {
    if (w.size() < 3) return Fail("usage");
    HWND control = Control(w[1], atoi(w[2].c_str()));
    if (!control) return Fail("no control");
    if (c == "text") return Ok(Escape(TextOf(control), false));
    if (c == "state") {
      LRESULT check = 0;
      SendBounded(control, BM_GETCHECK, 0, 0, &check);
      LONG style = GetWindowLongW(control, GWL_STYLE);
      return Ok("enabled=" + std::to_string(IsWindowEnabled(control) ? 1 : 0) +
                " visible=" + std::to_string(IsWindowVisible(control) ? 1 : 0) +
                " checked=" + std::to_string(static_cast<int>(check)) + " style=" + Hex(style));
    }
    if (c == "click") {
      bool done = SendBounded(control, BM_CLICK, 0, 0, nullptr, arg(3, 3000));
      return Ok(done ? "done" : "pending");
    }
    if (c == "mouseclick") {
      // A left click inside the control, as its own window procedure gets it.
      PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
      return Ok();
    }
    if (c == "key") {
      // A key press as the dialog manager of the sheet's modal loop sees it.
      UINT key = w.size() > 3 && w[3] == "escape" ? VK_ESCAPE : VK_RETURN;
      PostMessageW(control, WM_KEYDOWN, key, 1);
      PostMessageW(control, WM_KEYUP, key, 0xC0000001);
      return Ok();
    }
    if (c == "settext") {
      // The text is everything after "settext PAGE ID " exactly, blanks included.
      size_t start = line.find(' ', line.find(w[2], line.find(w[1]) + w[1].size()));
      std::string text = start == std::string::npos ? "" : line.substr(start + 1);
      std::wstring wide = Wide(text);
      SendBounded(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), nullptr);
      return Ok();
    }
    if (c == "font") {
      LRESULT font = 0;
      SendBounded(control, WM_GETFONT, 0, 0, &font);
      LOGFONTW description = {};
      if (!font || !GetObjectW(reinterpret_cast<HGDIOBJ>(font), sizeof(description), &description))
        return Fail("no font");
      return Ok("face=" + Escape(description.lfFaceName, true) +
                " height=" + std::to_string(description.lfHeight) +
                " weight=" + std::to_string(description.lfWeight) +
                " underline=" + std::to_string(description.lfUnderline));
    }
    if (c == "rect") {
      RECT r;
      GetWindowRect(control, &r);
      MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
      return Ok(std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top));
    }
    // lv PAGE ID count|state ROW|text ROW COL|set ROW IMAGE|colors|style|columns
    std::string what = w.size() > 3 ? w[3] : "";
    std::vector<std::string> more = Split(rest, 3, nullptr);
    auto m = [&](size_t i) { return i < more.size() ? atoi(more[i].c_str()) : 0; };
    LRESULT value = 0;
    if (what == "count") {
      SendBounded(control, LVM_GETITEMCOUNT, 0, 0, &value);
      return Ok(std::to_string(value));
    }
    if (what == "states") {
      LRESULT count = 0;
      SendBounded(control, LVM_GETITEMCOUNT, 0, 0, &count);
      std::string states;
      for (int row = 0; row < count; ++row) {
        SendBounded(control, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK, &value);
        states += std::to_string((value >> 12) & 0xF);
      }
      return Ok(states);
    }
    if (what == "text") return Ok(Escape(ListText(control, m(0), m(1)), false));
    if (what == "set") return SetListState(control, m(0), m(1)) ? Ok() : Fail("set");
    if (what == "colors") {
      LRESULT back = 0, text = 0;
      SendBounded(control, LVM_GETBKCOLOR, 0, 0, &back);
      SendBounded(control, LVM_GETTEXTCOLOR, 0, 0, &text);
      return Ok("back=" + Hex(back) + " text=" + Hex(text));
    }
    if (what == "style") {
      SendBounded(control, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0, &value);
      return Ok(Hex(value));
    }
    if (what == "columns") {
      LRESULT first = 0, second = 0;
      SendBounded(control, LVM_GETCOLUMNWIDTH, 0, 0, &first);
      SendBounded(control, LVM_GETCOLUMNWIDTH, 1, 0, &second);
      RECT r;
      GetWindowRect(control, &r);
      return Ok(std::to_string(first) + " " + std::to_string(second) + " " +
                std::to_string(r.right - r.left));
    }
    return Fail("usage");
  }
  if (c == "sheetstate") {
    HWND button = GetDlgItem(sheet, arg(1));
    if (!button) return Fail("no button");
    return Ok("enabled=" + std::to_string(IsWindowEnabled(button) ? 1 : 0) +
              " visible=" + std::to_string(IsWindowVisible(button) ? 1 : 0) +
              " text=" + Escape(TextOf(button), true));
  }
  if (c == "press") {
    int button = w.size() > 1 && w[1] == "back" ? PSBTN_BACK
                 : w.size() > 1 && w[1] == "next" ? PSBTN_NEXT
                                                  : PSBTN_CANCEL;
    bool done = SendBounded(sheet, PSM_PRESSBUTTON, button, 0, nullptr, arg(2, 3000));
    return Ok(done ? "done" : "pending");
  }
  if (c == "close") {
    bool done = SendBounded(sheet, WM_SYSCOMMAND, SC_CLOSE, 0, nullptr, arg(1, 3000));
    return Ok(done ? "done" : "pending");
  }
  if (c == "wake") {
    PostMessageW(sheet, WM_NULL, 0, 0);
    return Ok();
  }
  Fail("unknown command");
}

}  // namespace

int main() {
  wchar_t desktop[64] = {};
  if (GetEnvironmentVariableW(L"LG_DESKTOP", desktop, 64)) {
    // The driver must see the windows of that desktop.
    if (HDESK handle = OpenDesktopW(desktop, 0, FALSE, GENERIC_ALL)) SetThreadDesktop(handle);
  }
  char line[8192];
  while (fgets(line, sizeof(line), stdin)) {
    size_t n = strlen(line);
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) line[--n] = '\0';
    if (strcmp(line, "quit") == 0) break;
    Command(line);
  }
  return 0;
}
