// The command-line options of a silent run and the rules their values follow.
#pragma once

#include <cstddef>

#include "engine/install_options.h"

// Fills the record from the options found in the first 519 characters of the line;
// fields whose option is absent keep the values they came with.
void ReadCommandLineOptions(const wchar_t* commandLine, InstallOptions& options);

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
