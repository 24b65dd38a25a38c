#pragma once

// One join of the inputs a request names, from the command line.
// Errors: none raised; each function says why the join fails on the console and returns the exit
// code the run ends with.

#include "cli/CommandLine.h"

namespace tessaro::cli {

// Joins the inputs the request names into its output, saying what became of them; returns the
// exit code. `doing` says what it does meanwhile.
int JoinInputs(const Request& request, const char*& doing);

}  // namespace tessaro::cli
