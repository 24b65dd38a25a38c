#include "cli/SplitInput.h"

#include <unistd.h>

#include <cmath>

#include "cli/Console.h"

namespace tessaro::cli {

int SplitInput(const SplitCommand& command) {
    QString error;
    const std::optional<SplitSource> source = ReadSplitSource(command.request.source, &error);
    if (!source) {
        return Fail(error);
    }
    ConsoleHost host(!command.quiet && isatty(STDERR_FILENO));
    bool usage = false;
    std::variant<QString, std::vector<SplitPart>> parts =
        PartsAt(command.cuts, *source, host, &usage);
    if (const QString* why = std::get_if<QString>(&parts)) {
        return usage ? Misuse(*why) : Fail(*why);
    }
    SplitRequest request = command.request;
    request.parts = std::move(std::get<std::vector<SplitPart>>(parts));
    request.read = source->frames;
    const SplitResult result = RunSplit(request, host);
    for (const QString& warning : result.warnings) {
        Warn(warning);
    }
    if (!result.Succeeded()) {
        return result.wrongUsage ? Misuse(result.error) : Fail(result.error);
    }
    if (!command.quiet) {
        Print(stdout, QStringLiteral("Split %1 into %2 parts in %3")
                          .arg(request.source)
                          .arg(result.written.size())
                          .arg(request.folder));
    }
    return Success;
}

}  // namespace tessaro::cli
