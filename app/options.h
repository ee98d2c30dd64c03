// The command-line options of a silent run and the rules their values follow.
#pragma once

#include <cstddef>

#include "base/option_rules.h"
#include "engine/install_options.h"

// Fills the record from the options found in the first 519 characters of the line;
// fields whose option is absent keep the values they came with.
void ReadCommandLineOptions(const wchar_t* commandLine, InstallOptions& options);
