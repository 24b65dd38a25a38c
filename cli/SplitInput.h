#pragma once

#include "cli/SplitCommandLine.h"

namespace tessaro::cli {

// Cuts the command's input into its parts, saying what happened; returns the exit code.
int SplitInput(const SplitCommand& command);

}  // namespace tessaro::cli
