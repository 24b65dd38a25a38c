// tessaro-split: cuts an MP3 file into parts, without re-encoding, from the command line.

#include <QCoreApplication>
#include <QLocale>
#include <cstdio>
#include <new>
#include <variant>

#include "Version.h"
#include "cli/Console.h"
#include "cli/SplitInput.h"
#include "io/AtomicWrite.h"
#include "translations/Translations.h"

int main(int argc, char* argv[]) {
    using namespace tessaro::cli;
    tessaro::IgnoreFileSizeSignal();
    tessaro::RemoveTemporaryFileOnSignals();
    SetProgramName(QStringLiteral("tessaro-split"));
    try {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("tessaro-split"));
        QCoreApplication::setApplicationVersion(QStringLiteral(TESSARO_VERSION));
        const tessaro::Translations translations(QLocale::system());
        const std::variant<Answer, SplitCommand> read =
            ReadSplitCommandLine(QCoreApplication::arguments());
        if (const Answer* answer = std::get_if<Answer>(&read)) {
            for (const QString& line : answer->lines) {
                Print(answer->exitCode == Success ? stdout : stderr, line);
            }
            return answer->exitCode;
        }
        if (const QString problem = UnusableArgument(argc, argv); !problem.isEmpty()) {
            return Fail(problem);
        }
        return SplitInput(std::get<SplitCommand>(read));
    } catch (const std::bad_alloc&) {
        std::fputs("tessaro-split: error: not enough memory\n", stderr);
        return Failure;
    }
}
