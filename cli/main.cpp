// tessaro-join: joins MP3 files frame by frame, without re-encoding, from the command line.

#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "merge/MergeJob.h"
#include "workspace/PlainTrackList.h"
#include "workspace/TessaroWorkSpace.h"

namespace {

enum ExitCode { Success = 0, Failure = 1, WrongUsage = 2 };

void Print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

// Draws a bar on stderr, redrawn only when the percentage changes: the job reports every frame.
class ConsoleHost : public tessaro::MergeHost {
public:
    ConsoleHost(bool showBar, bool writeTag) : showBar(showBar), writeTag(writeTag) {}
    ~ConsoleHost() override {
        if (drawn) {
            std::fputc('\n', stderr);
        }
    }

    void MergeProgress(qint32 position, qint32 rangeMax) override {
        if (rangeMax != 0) {
            range = rangeMax;
        }
        if (!showBar || position == 0 || position == shown) {
            return;
        }
        shown = position;
        const int width = 40;
        const int filled = int(qBound<qint64>(0, qint64(position) * width / range, qint64(width)));
        std::fprintf(stderr, "\r[%s%s] %3d%%", QByteArray(filled, '#').constData(),
                     QByteArray(width - filled, '.').constData(), int(position));
        std::fflush(stderr);
        drawn = true;
    }
    bool QuerySaveID3Tag() override { return writeTag; }

private:
    const bool showBar;
    const bool writeTag;
    qint32 range = 100;
    qint32 shown = -1;
    bool drawn = false;
};

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tessaro-join"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.2"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Joins MP3 files into one without re-encoding: every MPEG audio frame of every input is\n"
        "copied byte for byte, in the order given; the inputs' own tags and any bytes outside\n"
        "frames are left behind. A \"Xing\" or \"Info\" header in the first frame is updated to\n"
        "describe the whole output. The output is written to a temporary file beside it and\n"
        "replaces an existing file only once the join is complete."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write the joined file to OUTPUT (required)."),
                                    QStringLiteral("OUTPUT"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Show no progress bar and no summary."));
    const QCommandLineOption tag(
        QStringLiteral("tag"),
        QStringLiteral("Write an ID3 tag with the values below into the output."));
    const QCommandLineOption album(QStringLiteral("album"), QStringLiteral("Album of the tag."),
                                   QStringLiteral("TEXT"));
    const QCommandLineOption artist(QStringLiteral("artist"), QStringLiteral("Artist of the tag."),
                                    QStringLiteral("TEXT"));
    const QCommandLineOption title(QStringLiteral("title"), QStringLiteral("Title of the tag."),
                                   QStringLiteral("TEXT"));
    const QCommandLineOption year(QStringLiteral("year"),
                                  QStringLiteral("Year of the tag; 0 or less writes none."),
                                  QStringLiteral("N"));
    const QCommandLineOption comment(QStringLiteral("comment"),
                                     QStringLiteral("Comment of the tag."), QStringLiteral("TEXT"));
    parser.addOptions({output, quiet, tag, album, artist, title, year, comment});
    parser.addPositionalArgument(QStringLiteral("INPUT"),
                                 QStringLiteral("The MP3 files to join, first to last."),
                                 QStringLiteral("INPUT..."));

    const auto usageError = [&parser](const QString& message) {
        Print(stderr, QStringLiteral("tessaro-join: ") + message);
        Print(stderr, parser.helpText());
        return WrongUsage;
    };
    if (!parser.parse(QCoreApplication::arguments())) {
        return usageError(parser.errorText());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        Print(stdout, parser.helpText());
        return Success;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        Print(stdout, QStringLiteral("tessaro-join 1.2"));
        return Success;
    }
    if (!parser.isSet(output)) {
        return usageError(QStringLiteral("no output file given (-o OUTPUT)"));
    }
    const QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty()) {
        return usageError(QStringLiteral("no input files given"));
    }
    qint32 tagYear = 0;
    if (parser.isSet(year)) {
        bool ok = false;
        tagYear = parser.value(year).toInt(&ok);
        if (!ok) {
            return usageError(
                QStringLiteral("--year needs a whole number, not \"%1\"").arg(parser.value(year)));
        }
    }
    const bool writeTag = parser.isSet(tag);
    const bool tagValuesGiven = parser.isSet(album) || parser.isSet(artist) ||
                                parser.isSet(title) || parser.isSet(year) || parser.isSet(comment);
    if (tagValuesGiven && !writeTag) {
        Print(stderr, QStringLiteral("tessaro-join: warning: tag values given without --tag; "
                                     "no tag is written"));
    }

    tessaro::PlainTrackList trackList;
    tessaro::TessaroWorkSpace workspace(trackList);
    for (const QString& input : inputs) {
        workspace.AddPath(input);
    }
    workspace.SetTag(parser.value(album), parser.value(artist), parser.value(title), tagYear,
                     parser.value(comment));

    const bool isQuiet = parser.isSet(quiet);
    tessaro::MergeResult result;
    {
        ConsoleHost host(!isQuiet && isatty(STDERR_FILENO), writeTag);
        result = tessaro::RunMerge(workspace, parser.value(output), host);
    }
    for (const QString& warning : std::as_const(result.warnings)) {
        Print(stderr, QStringLiteral("tessaro-join: warning: ") + warning);
    }
    if (!result.Succeeded()) {
        Print(stderr, QStringLiteral("tessaro-join: error: ") + result.error);
        return Failure;
    }
    if (!isQuiet) {
        Print(stdout, QStringLiteral("Joined %1 of %2 inputs: %3 frames, %4 bytes written to %5")
                          .arg(result.inputsJoined)
                          .arg(inputs.size())
                          .arg(result.frames)
                          .arg(result.written)
                          .arg(parser.value(output)));
    }
    return Success;
}
