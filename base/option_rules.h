// The rules every command-line option follows, shared by the setup and the uninstaller;
// no Win32 calls, so they build natively too.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/text_rules.h"

// Finds the first occurrence of option (with its "=") and copies its value: up to the
// next "/" or the end, and no further than 260 characters from the option's start.
bool ReadOptionValue(const wchar_t* lineCopy, const wchar_t* option, wchar_t* value,
                     size_t capacity);

// Trailing blanks, one closing and one opening quote, trailing blanks again.
void NormalizePathArgument(wchar_t* path);

// Signed decimal with leading white space and one sign, clamped to 32 bits; 0 without digits.
int ParseOptionNumber(const wchar_t* text);

// True for the "/silent" switch anywhere in the line, case-sensitive.
bool HasSilentSwitch(const wchar_t* commandLine);

// A numeric option into field; false (field unchanged) when the option is absent.
bool ReadNumberOption(const wchar_t* line, const wchar_t* option, int32_t& field);

// A path option (at most 519 characters) into field, normalised; false when absent.
bool ReadPathOption(const wchar_t* line, const wchar_t* option, wchar_t* field /* 520 */);

// Whether the 519-character limit cut a path option's value short, so the run would use a
// folder nobody named (a line that only ends later is read as far as the limit, as always).
bool PathOptionCutByLineLimit(const wchar_t* commandLine, const wchar_t* option);

// The switches of unattended deployment.
struct DeploymentOptions {
  wchar_t logPath[kLongPath] = {};  // /log=: the full log of the run; empty: none
  int32_t closeViewerSeconds = -1;  // /closeviewer=N: ask viewers to close, wait N s
  bool progress = false;            // /progress: a progress window in a silent run
  bool allowDowngrade = false;      // /allowdowngrade: install over a newer version
};

// Fills the record from the first 519 characters of the line, as the other options.
void ReadDeploymentOptions(const wchar_t* commandLine, DeploymentOptions& options);
