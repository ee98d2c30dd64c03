#include "base/viewer_check.h"

#include <windows.h>
#include <restartmanager.h>
#include <tlhelp32.h>

#include <cwchar>
#include <memory>
#include <new>

#include "base/handles.h"
#include "base/text_rules.h"

namespace {

constexpr wchar_t kViewerClass[] = L"Lumagrove";
constexpr wchar_t kViewerImage[] = L"lg_show64.exe";
constexpr DWORD kPollMilliseconds = 250;
constexpr size_t kMaxListedViewers = 32;
constexpr UINT kMaxRestartManagerEntries = 16;

// --- The processes found ------------------------------------------------------------------

// Viewer processes, by id and start time (the Restart Manager's identity of a process).
struct ViewerProcesses {
  RM_UNIQUE_PROCESS listed[kMaxListedViewers] = {};
  size_t count = 0;
  bool any = false;  // also when more run than the list holds

  bool Contains(DWORD id) const {
    for (size_t i = 0; i < count; ++i)
      if (listed[i].dwProcessId == id) return true;
    return false;
  }
  void Add(const RM_UNIQUE_PROCESS& process) {
    any = true;
    if (count < kMaxListedViewers && !Contains(process.dwProcessId)) listed[count++] = process;
  }
};

// The full path of a process's image, long names where it was started through short ones.
bool ProcessImagePath(HANDLE process, wchar_t* path /* kLongPath */) {
  DWORD n = kLongPath;
  if (!QueryFullProcessImageNameW(process, 0, path, &n) || n >= kLongPath) return false;
  if (wcschr(path, L'~')) {
    wchar_t longPath[kLongPath];
    DWORD m = GetLongPathNameW(path, longPath, kLongPath);
    if (m > 0 && m < kLongPath) CopyText(path, kLongPath, longPath);
  }
  return true;
}

// What the process's image is; for the viewer also its identity with the start time.
ProcessImage IdentifyProcess(DWORD id, const wchar_t* viewerPath, RM_UNIQUE_PROCESS* process) {
  UniqueHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  wchar_t image[kLongPath];
  if (!handle || !ProcessImagePath(handle.get(), image)) return ProcessImage::Unknown;
  if (!IsSameImagePath(image, viewerPath)) return ProcessImage::Other;
  if (process) {
    FILETIME exited, kernel, user;
    process->dwProcessId = id;
    GetProcessTimes(handle.get(), &process->ProcessStartTime, &exited, &kernel, &user);
  }
  return ProcessImage::Viewer;
}

// Every process of every session, by its image path. Under Wine 8 the snapshot lists the
// processes of all Wine desktops of the prefix and QueryFullProcessImageNameW gives their
// Windows paths (C:\...), so this finds a viewer whose window FindWindowW cannot see.
void FindViewerProcesses(const wchar_t* viewerPath, ViewerProcesses& found) {
  UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  DWORD self = GetCurrentProcessId();
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
       more = Process32NextW(snapshot.get(), &entry)) {
    if (entry.th32ProcessID == 0 || entry.th32ProcessID == self) continue;
    RM_UNIQUE_PROCESS process = {};
    if (IdentifyProcess(entry.th32ProcessID, viewerPath, &process) == ProcessImage::Viewer)
      found.Add(process);
  }
}

// --- The Restart Manager ------------------------------------------------------------------

// rstrtmgr.dll from the system folder only (it is no KnownDLL, so a bare name would be
// looked up beside the setup first); without LOAD_LIBRARY_SEARCH_SYSTEM32 (Windows 7
// lacking update KB2533623) there is no safe way to load it, and the process check does.
// Wine 8 has the library, but its functions are stubs: RmStartSession succeeds, RmGetList
// lists nothing and RmShutdown does nothing.
class RestartManager {
 public:
  void Load() {
    module_.reset(LoadLibraryExW(L"rstrtmgr.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!module_) return;
    Resolve(start, "RmStartSession");
    Resolve(end, "RmEndSession");
    Resolve(registerResources, "RmRegisterResources");
    Resolve(getList, "RmGetList");
    Resolve(shutdown, "RmShutdown");
  }
  explicit operator bool() const {
    return start && end && registerResources && getList && shutdown;
  }

  decltype(&RmStartSession) start = nullptr;
  decltype(&RmEndSession) end = nullptr;
  decltype(&RmRegisterResources) registerResources = nullptr;
  decltype(&RmGetList) getList = nullptr;
  decltype(&RmShutdown) shutdown = nullptr;

 private:
  template <typename F>
  void Resolve(F& function, const char* name) {
    function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
  }

  UniqueModule module_;
};

// One session, ended on every return path.
class RestartSession {
 public:
  explicit RestartSession(const RestartManager& manager) : manager_(manager) {
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    open_ = manager && manager.start(&handle_, 0, key) == ERROR_SUCCESS;
  }
  ~RestartSession() {
    if (open_) manager_.end(handle_);
  }
  RestartSession(const RestartSession&) = delete;
  RestartSession& operator=(const RestartSession&) = delete;
  explicit operator bool() const { return open_; }
  DWORD handle() const { return handle_; }

 private:
  const RestartManager& manager_;
  DWORD handle_ = 0;
  bool open_ = false;
};

// The processes that use the viewer's file, as far as they count as viewers.
void FindRestartManagerViewers(const RestartManager& manager, const wchar_t* viewerPath,
                               ViewerProcesses& found) {
  RestartSession session(manager);
  if (!session) return;
  LPCWSTR files[] = {viewerPath};
  if (manager.registerResources(session.handle(), 1, files, 0, nullptr, 0, nullptr) !=
      ERROR_SUCCESS)
    return;
  RM_PROCESS_INFO apps[kMaxRestartManagerEntries] = {};
  UINT needed = 0;
  UINT count = kMaxRestartManagerEntries;
  DWORD reasons = 0;
  DWORD status = manager.getList(session.handle(), &needed, &count, apps, &reasons);
  if (status == ERROR_MORE_DATA) {
    found.any = true;  // more users of the file than asked for: not a state to install in
    return;
  }
  if (status != ERROR_SUCCESS) return;
  if (count > needed) count = needed;
  if (count > kMaxRestartManagerEntries) count = kMaxRestartManagerEntries;
  for (UINT i = 0; i < count; ++i) {
    const RM_PROCESS_INFO& app = apps[i];
    DWORD id = app.Process.dwProcessId;
    if (id == GetCurrentProcessId() || found.Contains(id)) continue;
    ProcessImage image = IdentifyProcess(id, viewerPath, nullptr);
    if (RestartManagerEntryIsViewer(app.ApplicationType, image)) found.Add(app.Process);
  }
}

// The Restart Manager's shutdown of the listed viewers, on a thread of its own: RmShutdown
// returns only when the applications have answered, which may take longer than the wait.
// The job owns the library and outlives the caller's wait; the process's end ends it.
struct ShutdownJob {
  ShutdownJob() { manager.Load(); }
  RestartManager manager;
  RM_UNIQUE_PROCESS processes[kMaxListedViewers] = {};
  UINT count = 0;
};

// On the process heap rather than through operator new, which would link the exception
// machinery of libstdc++ into the uninstaller (about 100 KB).
struct ShutdownJobDeleter {
  void operator()(ShutdownJob* job) const {
    job->~ShutdownJob();
    HeapFree(GetProcessHeap(), 0, job);
  }
};
using ShutdownJobOwner = std::unique_ptr<ShutdownJob, ShutdownJobDeleter>;

ShutdownJobOwner NewShutdownJob() {
  void* memory = HeapAlloc(GetProcessHeap(), 0, sizeof(ShutdownJob));
  return ShutdownJobOwner(memory ? new (memory) ShutdownJob : nullptr);
}

DWORD WINAPI RunShutdown(void* parameter) {
  ShutdownJobOwner job(static_cast<ShutdownJob*>(parameter));
  RestartSession session(job->manager);
  // Registered by process, not by file: the shell or a scanner reading the file must not
  // be shut down with the viewer. No force flag: a viewer may still ask about its work.
  if (session && job->manager.registerResources(session.handle(), 0, nullptr, job->count,
                                                job->processes, 0, nullptr) == ERROR_SUCCESS)
    job->manager.shutdown(session.handle(), 0, nullptr);
  return 0;
}

void StartRestartManagerShutdown(const ViewerProcesses& found) {
  if (found.count == 0) return;
  ShutdownJobOwner job = NewShutdownJob();
  if (!job || !job->manager) return;
  for (size_t i = 0; i < found.count; ++i) job->processes[job->count++] = found.listed[i];
  UniqueHandle thread(CreateThread(nullptr, 0, RunShutdown, job.get(), 0, nullptr));
  if (thread) job.release();  // the thread deletes it
}

// --- Windows ------------------------------------------------------------------------------

bool HasViewerClass(HWND window) {
  wchar_t name[16];
  int n = GetClassNameW(window, name, 16);
  // Class names compare as FindWindowW compares them: without letter case.
  return n > 0 && CompareStringOrdinal(name, n, kViewerClass, -1, TRUE) == CSTR_EQUAL;
}

// WM_CLOSE to the viewer's windows: those of its class, and the visible top-level windows
// of the viewer processes. Posted, so that a viewer that hangs cannot stop the setup.
BOOL CALLBACK AskWindowToClose(HWND window, LPARAM parameter) {
  const auto& found = *reinterpret_cast<const ViewerProcesses*>(parameter);
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  bool viewerWindow = found.Contains(id) && IsWindowVisible(window) &&
                      GetWindow(window, GW_OWNER) == nullptr;
  if (viewerWindow || HasViewerClass(window)) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

// --- One look at the system ---------------------------------------------------------------

// The viewer's canonical path (full, long names) and the Restart Manager, kept for a wait.
class ViewerScan {
 public:
  explicit ViewerScan(const wchar_t* installFolder) {
    hasPath_ = installFolder && CanonicalViewerPath(installFolder, viewerPath_);
    if (hasPath_) manager_.Load();
  }

  // The viewer's window, or its processes (then listed in found).
  bool Running(ViewerProcesses& found) const {
    found = ViewerProcesses();
    bool window = FindWindowW(kViewerClass, nullptr) != nullptr;
    if (hasPath_) {
      FindViewerProcesses(viewerPath_, found);
      if (manager_) FindRestartManagerViewers(manager_, viewerPath_, found);
    }
    return window || found.any;
  }

 private:
  static bool CanonicalViewerPath(const wchar_t* folder, wchar_t* path) {
    wchar_t built[kLongPath];
    if (!ViewerImagePath(folder, built, kLongPath)) return false;
    DWORD n = GetFullPathNameW(built, kLongPath, path, nullptr);
    if (n == 0 || n >= kLongPath) return false;
    // A folder given by its short name; only an existing file has a long name.
    wchar_t longPath[kLongPath];
    n = GetLongPathNameW(path, longPath, kLongPath);
    if (n > 0 && n < kLongPath) CopyText(path, kLongPath, longPath);
    return true;
  }

  wchar_t viewerPath_[kLongPath] = {};
  bool hasPath_ = false;
  RestartManager manager_;
};

}  // namespace

bool ViewerImagePath(const wchar_t* installFolder, wchar_t* path, size_t capacity) {
  if (capacity == 0) return false;
  path[0] = L'\0';
  wchar_t folder[kLongPath];
  if (CopyText(folder, kLongPath, installFolder) != wcslen(installFolder)) return false;
  TrimBlanks(folder);
  if (folder[0] == L'\0') return false;
  bool separator = EndsWith(folder, L'\\') || EndsWith(folder, L'/');
  bool fits = CopyText(path, capacity, folder) == wcslen(folder) &&
              (separator || AppendText(path, capacity, L"\\")) &&
              AppendText(path, capacity, kViewerImage);
  if (!fits) path[0] = L'\0';
  return fits;
}

bool IsSameImagePath(const wchar_t* a, const wchar_t* b) {
  size_t n = wcslen(a);
  if (n != wcslen(b)) return false;
  for (size_t i = 0; i < n; ++i) {
    bool separatorA = a[i] == L'\\' || a[i] == L'/';
    bool separatorB = b[i] == L'\\' || b[i] == L'/';
    if (separatorA != separatorB) return false;
    if (separatorA) continue;
    if (CompareStringOrdinal(a + i, 1, b + i, 1, TRUE) != CSTR_EQUAL) return false;
  }
  return true;
}

uint32_t CloseViewerWaitMilliseconds(int32_t seconds) {
  if (seconds <= 0) return 0;
  if (seconds > kMaxCloseViewerSeconds) seconds = kMaxCloseViewerSeconds;
  return static_cast<uint32_t>(seconds) * 1000u;
}

bool RestartManagerEntryIsViewer(int appType, ProcessImage image) {
  if (image != ProcessImage::Unknown) return image == ProcessImage::Viewer;
  return appType != RmService && appType != RmExplorer && appType != RmCritical;
}

bool IsViewerRunning(const wchar_t* installFolder) {
  ViewerProcesses found;
  return ViewerScan(installFolder).Running(found);
}

bool CloseRunningViewers(const wchar_t* installFolder, int32_t seconds) {
  ViewerScan scan(installFolder);
  ViewerProcesses found;
  if (!scan.Running(found)) return true;
  if (seconds < 0) return false;
  EnumWindows(AskWindowToClose, reinterpret_cast<LPARAM>(&found));
  StartRestartManagerShutdown(found);
  ULONGLONG deadline = GetTickCount64() + CloseViewerWaitMilliseconds(seconds);
  for (;;) {
    if (!scan.Running(found)) return true;
    ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    ULONGLONG left = deadline - now;
    Sleep(static_cast<DWORD>(left < kPollMilliseconds ? left : kPollMilliseconds));
  }
}
