// tessaro-join: joins MP3 files frame by frame, without re-encoding, from the command line.

#include <QCoreApplication>
#include <QLocale>
#include <cstdio>
#include <new>
#include <variant>

#include "Version.h"
#include "cli/Batch.h"
#include "cli/CommandLine.h"
#include "cli/Console.h"
#include "cli/JoinInputs.h"
#include "io/AtomicWrite.h"
#include "translations/Translations.h"

namespace {

using namespace tessaro::cli;

// Prints what the command line is answered with; returns its exit code.
int Give(const Answer& answer) {
    for (const QString& line : answer.lines) {
        Print(answer.exitCode == Success ? stdout : stderr, line);
    }
    return answer.exitCode;
}

}  // namespace

int main(int argc, char* argv[]) {
    tessaro::IgnoreFileSizeSignal();
    tessaro::RemoveTemporaryFileOnSignals();
    const char* doing = "start";  // what a lack of memory keeps from being done
    try {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("tessaro-join"));
        QCoreApplication::setApplicationVersion(QStringLiteral(TESSARO_VERSION));
        // The help in the user's language, Qt's parts of it included.
        const tessaro::Translations translations(QLocale::system());
        doing = "read the command line";
        const std::variant<Answer, Request> read = ReadCommandLine(QCoreApplication::arguments());
        if (const Answer* answer = std::get_if<Answer>(&read)) {
            return Give(*answer);
        }
        if (const QString problem = UnusableArgument(argc, argv); !problem.isEmpty()) {
            return Fail(problem);
        }
        const Request& request = std::get<Request>(read);
        for (const QString& warning : request.warnings) {
            Warn(warning);
        }
        return request.batch ? JoinBatch(request, doing) : JoinInputs(request, doing);
    } catch (const std::bad_alloc&) {
        // Said without allocating anything more.
        std::fprintf(stderr, "tessaro-join: error: not enough memory to %s\n", doing);
        return Failure;
    }
}
