#include "app/options.h"

#include <cstdint>

#include "base/option_rules.h"
#include "base/text_rules.h"
#include "integration/file_types.h"

namespace {

void ApplyAssocOption(int32_t n, InstallOptions& options) {
  int count = n == 1 ? kImageRowCount : n == 2 ? kSelectionCount : 0;
  if (count == 0) {
    options.associationMode = 0;
    return;
  }
  for (int i = 0; i < count; ++i) options.associationSelection[i] = 1;
  options.associationMode = 1;
}

}  // namespace

void ReadCommandLineOptions(const wchar_t* commandLine, InstallOptions& options) {
  wchar_t line[kLongPath];
  CopyText(line, kLongPath, commandLine);  // a longer line is cut to 519 characters

  ReadPathOption(line, L"/folder=", options.targetFolder);
  ReadNumberOption(line, L"/desktop=", options.desktopShortcut);
  ReadNumberOption(line, L"/thumbs=", options.thumbnailsShortcut);
  ReadNumberOption(line, L"/group=", options.startMenuShortcuts);
  ReadNumberOption(line, L"/allusers=", options.allUsers);
  int32_t assoc = 0;
  if (ReadNumberOption(line, L"/assoc=", assoc)) ApplyAssocOption(assoc, options);
  // "/assocallusers" is accepted and, like before, changes nothing.
  ReadPathOption(line, L"/ini=", options.iniFolder);
}
