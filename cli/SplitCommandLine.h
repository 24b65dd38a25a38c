#pragma once

// tessaro-split's command line: what it asks for, read without doing any of it.

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>
#include <vector>

#include "cli/CommandLine.h"
#include "split/CutPoints.h"
#include "split/Split.h"

namespace tessaro::cli {

struct SplitCommand {
    SplitRequest request;  // its parts found from `cuts` once the source is read
    CutPoints cuts;
    bool quiet = false;
};

std::variant<Answer, SplitCommand> ReadSplitCommandLine(const QStringList& arguments);

}  // namespace tessaro::cli
