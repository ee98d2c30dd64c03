// The wizard's text rules: the folder browser's suffix, the folder check, template texts,
// the viewer path and the browser command, on any text and buffers of any size.
#include "base/text_rules.h"
#include "controls/label_rules.h"
#include "fuzz_input.h"
#include "wizard/wizard_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  size_t capacity = 1 + data[0] % 300;
  std::wstring text = WideFromBytes(data + 1, size - 1);
  if (text.size() > 600) text.resize(600);

  wchar_t path[301];
  std::wstring start = text.substr(0, capacity - 1);
  wcscpy(path, start.c_str());
  bool completed = CompleteBrowsedFolder(path, capacity);
  RequireTerminated(path, capacity);
  if (!completed && start != path) __builtin_trap();  // a refused path stays as it was
  if (completed && !EndsWith(path, L'\\')) __builtin_trap();

  TargetTextHasDrive(text.c_str());
  BrowserStartFolder(text.c_str(), path, capacity);
  RequireTerminated(path, capacity);
  BuildViewerPath(text.c_str(), path, capacity);
  RequireTerminated(path, capacity);

  const wchar_t* args[] = {L"4.58", L"Lumagrove"};
  FormatTemplateText(text.c_str(), args, 2, path, capacity);
  RequireTerminated(path, capacity);
  BuildBrowserCommand(text.c_str(), L"https://www.example.com/faq.htm", path, capacity);
  RequireTerminated(path, capacity);

  std::wstring notes = text;
  StripReleaseNotesTail(notes.data());
  return 0;
}
