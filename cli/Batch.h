#pragma once

// A batch: each folder a command line names joined into a file of its own.
// Errors: none raised; each book's failure is said on the console, and the exit codes tell.

#include "cli/CommandLine.h"

namespace tessaro::cli {

// Joins each folder the request names into OUTPUT/FOLDER.mp3, one after the other, whatever
// became of the ones before, and names each one's result; returns the worst of their exit codes.
// Every folder is walked first, so that no book takes in another's join.
int JoinBatch(const Request& batch, const char*& doing);

}  // namespace tessaro::cli
