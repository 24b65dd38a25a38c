#include "cli/SplitCommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include "Version.h"
#include "cli/Console.h"

namespace tessaro::cli {

namespace {

// The options of tessaro-split, declared once for the parser and for reading what it found.
struct SplitOptions {
    Q_DECLARE_TR_FUNCTIONS(TessaroSplit)

public:
    const QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")},
                                   tr("Print nothing but warnings and errors.")};
    const QCommandLineOption chapters{
        QStringLiteral("chapters"),
        tr("Cut at the chapters of INPUT's own tag, each part titled with its chapter (the "
           "default).")};
    const QCommandLineOption chapterFile{
        QStringLiteral("chapter-file"),
        tr("Cut at the chapters of FILE, in any form tessaro-join reads, titled with them."),
        QStringLiteral("FILE")};
    const QCommandLineOption at{
        QStringLiteral("at"),
        tr("Cut at each TIME, given as HH:MM:SS.mmm, MM:SS or seconds, increasing."),
        QStringLiteral("TIME[,TIME...]")};
    const QCommandLineOption every{QStringLiteral("every"),
                                   tr("Cut into parts of DURATION each (as TIME), the last "
                                      "holding what is left."),
                                   QStringLiteral("DURATION")};
    const QCommandLineOption atSilence{
        QStringLiteral("at-silence"),
        tr("Cut in the middle of every silence at least SECONDS long (2 unless given)."),
        QStringLiteral("SECONDS")};
    const QCommandLineOption silenceThreshold{
        QStringLiteral("silence-threshold"),
        tr("With --at-silence: what stays below DB dBFS is silence (-50 unless given)."),
        QStringLiteral("DB")};
    const QCommandLineOption output{
        {QStringLiteral("o"), QStringLiteral("output")},
        tr("Write the parts into FOLDER, which must exist (INPUT's own folder unless given)."),
        QStringLiteral("FOLDER")};
    const QCommandLineOption name{
        QStringLiteral("name"),
        tr("Name the parts by PATTERN: {n} the part's number (zero-padded), {title} its title, "
           "{album} the album; \"{n} {title}.mp3\" unless given, \"{n}.mp3\" for a part "
           "without a title."),
        QStringLiteral("PATTERN")};
    const QCommandLineOption id3v23{QStringLiteral("id3v2.3"),
                                    tr("Write the parts' tags as ID3v2.3 instead of ID3v2.4.")};
    const QCommandLineOption force{QStringLiteral("force"),
                                   tr("Replace files that stand where the parts go.")};
};

// "--at-silence" alone takes its SECONDS as given, so the parser sees a value either way.
QStringList WithSilenceSeconds(QStringList arguments) {
    for (qsizetype i = 1; i < arguments.size() && arguments[i] != QLatin1String("--"); ++i) {
        if (arguments[i] == QLatin1String("--at-silence")) {
            arguments[i] += QStringLiteral("=%1").arg(SilenceRule{}.minSeconds);
        }
    }
    return arguments;
}

// The cut points asked for, or why they cannot be taken.
std::variant<QString, CutPoints> ReadCuts(const QCommandLineParser& parser,
                                          const SplitOptions& options) {
    CutPoints cuts;
    int ways = 0;
    const auto way = [&](const QCommandLineOption& option, CutPoints::By by) {
        if (parser.isSet(option)) {
            ++ways;
            cuts.by = by;
        }
    };
    way(options.chapters, CutPoints::By::Chapters);
    way(options.chapterFile, CutPoints::By::ChapterFile);
    way(options.at, CutPoints::By::Times);
    way(options.every, CutPoints::By::Every);
    way(options.atSilence, CutPoints::By::Silence);
    if (ways > 1) {
        return QStringLiteral(
            "give one of --chapters, --chapter-file, --at, --every and --at-silence");
    }
    cuts.chapterFile = parser.value(options.chapterFile);
    for (const QString& text :
         parser.value(options.at).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const std::optional<double> time = ReadTime(text.trimmed());
        if (!time || (!cuts.times.empty() && *time <= cuts.times.back())) {
            return QStringLiteral("--at needs increasing times, not \"%1\"").arg(text);
        }
        cuts.times.push_back(*time);
    }
    if (parser.isSet(options.every)) {
        const std::optional<double> every = ReadTime(parser.value(options.every));
        if (!every || *every <= 0) {
            return QStringLiteral("--every needs a duration, not \"%1\"")
                .arg(parser.value(options.every));
        }
        cuts.every = *every;
    }
    bool number = true;
    if (parser.isSet(options.atSilence)) {
        cuts.silence.minSeconds = parser.value(options.atSilence).toDouble(&number);
        if (!number || cuts.silence.minSeconds <= 0) {
            return QStringLiteral("--at-silence needs a number of seconds above 0, not \"%1\"")
                .arg(parser.value(options.atSilence));
        }
    }
    if (parser.isSet(options.silenceThreshold)) {
        if (cuts.by != CutPoints::By::Silence) {
            return QStringLiteral("--silence-threshold is for --at-silence");
        }
        cuts.silence.thresholdDb = parser.value(options.silenceThreshold).toDouble(&number);
        if (!number) {
            return QStringLiteral("--silence-threshold needs a number of dB, not \"%1\"")
                .arg(parser.value(options.silenceThreshold));
        }
    }
    return cuts;
}

}  // namespace

std::variant<Answer, SplitCommand> ReadSplitCommandLine(const QStringList& arguments) {
    const SplitOptions options;
    QCommandLineParser parser;
    parser.setApplicationDescription(SplitOptions::tr(
        "Splits an MP3 file into parts without re-encoding: every frame copied byte for byte "
        "but the few at a cut, rebuilt to decode alone, each part decoding to exactly the "
        "samples between its cut points."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({options.quiet, options.chapters, options.chapterFile, options.at,
                       options.every, options.atSilence, options.silenceThreshold, options.output,
                       options.name, options.id3v23, options.force});
    parser.addPositionalArgument(QStringLiteral("INPUT.mp3"),
                                 SplitOptions::tr("The file to split."));
    const auto help = [&parser] {
        return parser.helpText().replace(QStringLiteral("--at-silence <SECONDS>"),
                                         QStringLiteral("--at-silence[=SECONDS]"));
    };
    if (!parser.parse(WithSilenceSeconds(arguments))) {
        return Answer{WrongUsage, {Misused(parser.errorText()), help()}};
    }
    if (parser.isSet(QStringLiteral("help"))) {
        return Answer{Success, {help()}};
    }
    if (parser.isSet(QStringLiteral("version"))) {
        return Answer{Success, {QStringLiteral("tessaro-split " TESSARO_VERSION)}};
    }
    if (parser.positionalArguments().size() != 1) {
        return Answer{WrongUsage, {Misused(QStringLiteral("give one INPUT.mp3")), help()}};
    }
    std::variant<QString, CutPoints> cuts = ReadCuts(parser, options);
    if (const QString* misuse = std::get_if<QString>(&cuts)) {
        return Answer{WrongUsage, {Misused(*misuse), help()}};
    }
    SplitCommand command;
    command.cuts = std::get<CutPoints>(cuts);
    command.quiet = parser.isSet(options.quiet);
    SplitRequest& request = command.request;
    request.source = parser.positionalArguments().front();
    request.folder = parser.isSet(options.output) ? parser.value(options.output)
                                                  : QFileInfo(request.source).path();
    if (parser.isSet(options.name)) {
        request.namePattern = parser.value(options.name);
    }
    request.id3v23 = parser.isSet(options.id3v23);
    request.force = parser.isSet(options.force);
    return command;
}

}  // namespace tessaro::cli
