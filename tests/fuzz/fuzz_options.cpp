// The silent run's command line: any text gives a well-formed record.
#include "app/options.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring line = WideFromBytes(data, size);
  InstallOptions options;
  wcscpy(options.targetFolder, L"C:\\Program Files\\Lumagrove");
  wcscpy(options.iniFolder, L"%APPDATA%\\Lumagrove");
  HasSilentSwitch(line.c_str());
  ReadCommandLineOptions(line.c_str(), options);
  RequireTerminated(options.targetFolder, kLongPath);
  RequireTerminated(options.iniFolder, kLongPath);
  if (wcslen(options.targetFolder) > 252 || wcslen(options.iniFolder) > 255) __builtin_trap();
  for (int32_t entry : options.associationSelection)
    if (entry != 0 && entry != 1) __builtin_trap();
  if (options.associationMode != 0 && options.associationMode != 1) __builtin_trap();

  DeploymentOptions deployment;
  ReadDeploymentOptions(line.c_str(), deployment);
  RequireTerminated(deployment.logPath, kLongPath);
  // A line that is read whole never cuts a value.
  bool cut = PathOptionCutByLineLimit(line.c_str(), L"/folder=");
  if (cut && line.size() < 520) __builtin_trap();
  return 0;
}
