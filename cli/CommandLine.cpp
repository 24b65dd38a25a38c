#include "cli/CommandLine.h"

#include <QCommandLineParser>
#include <QFile>
#include <algorithm>

#include "Version.h"
#include "cli/Console.h"
#include "cli/Options.h"
#include "io/Files.h"

namespace tessaro::cli {

namespace {

const QStringList kOrders{QStringLiteral("natural"), QStringLiteral("track")};

void SetUpParser(QCommandLineParser& parser, const Options& options) {
    parser.setApplicationDescription(Options::tr(
        "Joins MP3 files into one without re-encoding: every MPEG audio frame of every input is\n"
        "copied byte for byte, in the order given; the inputs' own tags and any bytes outside\n"
        "frames are left behind, and so is each input's own Xing, Info or VBRI header frame but\n"
        "the first one's, which is rewritten to describe the whole output. The output is\n"
        "written to a temporary file beside it and replaces an existing file only once the\n"
        "join is complete."));
    parser.addHelpOption();
    parser.addVersionOption();
    options.AddTo(parser);
    parser.addPositionalArgument(
        QStringLiteral("INPUT"),
        Options::tr("The MP3 files to join, first to last; a folder stands for "
                    "the MPEG audio files under it."),
        QStringLiteral("INPUT..."));
}

// Why --batch cannot be given with the options found: with what names one file for the whole run,
// a workspace's list, a chapter file, a file to export chapters to. Empty when it can, or is not
// given.
QString BatchMisuse(const QCommandLineParser& parser, const Options& options) {
    if (!parser.isSet(options.batch)) {
        return QString();
    }
    for (const QCommandLineOption* single :
         {&options.workspaceFile, &options.chapterFile, &options.exportChapters}) {
        if (parser.isSet(*single)) {
            return QStringLiteral(
                       "--batch joins each folder given into a file of its own; "
                       "--%1 names one file for the whole run")
                .arg(single->names().last());
        }
    }
    return QString();
}

// Why the options found leave out what a request needs, or ask for two things at once; empty
// when they do neither.
QString MissingOrClashing(const QCommandLineParser& parser, const Options& options) {
    const bool inputsGiven = !parser.positionalArguments().isEmpty();
    const bool fromWorkspace = parser.isSet(options.workspaceFile);
    if (!parser.isSet(options.output)) {
        return QStringLiteral("no output file given (-o OUTPUT)");
    }
    if (!inputsGiven && !fromWorkspace) {
        return QStringLiteral("no input files given (INPUT... or -w WORKSPACE.twk)");
    }
    if (inputsGiven && fromWorkspace) {
        return QStringLiteral("give the input files either as INPUT... or with -w, not both");
    }
    if (parser.isSet(options.copyCover) && parser.isSet(options.cover)) {
        return QStringLiteral("give either --copy-cover or --cover FILE, not both");
    }
    if (parser.isSet(options.chapters) && parser.isSet(options.chapterFile)) {
        return QStringLiteral("give either --chapters or --chapter-file FILE, not both");
    }
    if (parser.isSet(options.levelMode) && !parser.isSet(options.level)) {
        return QStringLiteral("--level-mode says how --level levels: give both");
    }
    // The threshold changes the rule that --chapters=silence makes.
    JoinOptions turned;
    options.TurnChoices(parser, turned);
    if (parser.isSet(options.silenceThreshold) && !turned.chapterSilence) {
        return QStringLiteral(
            "--silence-threshold says how quiet --chapters=silence takes a silence to be: give "
            "both");
    }
    return BatchMisuse(parser, options);
}

// Why a value the parser found cannot be taken; empty when all can.
QString RefusedValue(const QCommandLineParser& parser, const Options& options) {
    if (const QString refusal = options.RefusedChoiceValue(parser); !refusal.isEmpty()) {
        return refusal;
    }
    if (parser.isSet(options.sort) && !kOrders.contains(parser.value(options.sort))) {
        return QStringLiteral("--sort needs natural or track, not \"%1\"")
            .arg(parser.value(options.sort));
    }
    bool wholeNumber = true;
    if (parser.isSet(options.year)) {
        parser.value(options.year).toInt(&wholeNumber);
    }
    return wholeNumber ? QString()
                       : QStringLiteral("--year needs a whole number, not \"%1\"")
                             .arg(parser.value(options.year));
}

// Parses `arguments` into `parser`. Returns the answer where they are answered without a join:
// help or the version, or wrong usage; none when they ask for a join.
std::optional<Answer> Parse(QCommandLineParser& parser, const Options& options,
                            const QStringList& arguments) {
    SetUpParser(parser, options);
    const bool parsed = parser.parse(options.WithOptionalValues(arguments));
    if (parsed && parser.isSet(QStringLiteral("help"))) {
        return Answer{Success, {options.HelpText(parser)}};
    }
    if (parsed && parser.isSet(QStringLiteral("help-all"))) {
        // Only the parser knows Qt's own options: it prints them with ours and exits.
        parser.process(arguments);
    }
    if (parsed && parser.isSet(QStringLiteral("version"))) {
        return Answer{Success, {QStringLiteral("tessaro-join " TESSARO_VERSION)}};
    }
    QString misuse = parsed ? MissingOrClashing(parser, options) : parser.errorText();
    misuse = misuse.isEmpty() ? RefusedValue(parser, options) : misuse;
    if (misuse.isEmpty()) {
        return std::nullopt;
    }
    return Answer{WrongUsage, {Misused(misuse), options.HelpText(parser)}};
}

TagValues ReadTagValues(const QCommandLineParser& parser, const Options& options) {
    const auto given = [&parser](const QCommandLineOption& option) {
        return parser.isSet(option) ? std::optional(parser.value(option)) : std::nullopt;
    };
    return {.album = given(options.album),
            .artist = given(options.artist),
            .title = given(options.title),
            .comment = given(options.comment),
            .year = parser.isSet(options.year) ? std::optional(parser.value(options.year).toInt())
                                               : std::nullopt};
}

// What the parser found, with a warning for options that do nothing as given.
Request ReadRequest(const QCommandLineParser& parser, const Options& options) {
    Request request;
    request.output = parser.value(options.output);
    request.workspaceFile = parser.value(options.workspaceFile);
    request.inputs = parser.positionalArguments();
    request.order = parser.value(options.sort);
    request.quiet = parser.isSet(options.quiet);
    request.preferences.saveID3Tag = parser.isSet(options.tag);
    request.tag = ReadTagValues(parser, options);
    request.exportChapters = parser.value(options.exportChapters);
    request.forceName = parser.isSet(options.forceName);
    request.batch = parser.isSet(options.batch);
    JoinOptions& join = request.preferences.options;
    options.TurnChoices(parser, join);
    join.chapterFile = parser.value(options.chapterFile);
    // Chapters to export are made as for the tag.
    join.chapters =
        join.chapters || (!request.exportChapters.isEmpty() && join.chapterFile.isEmpty());
    join.coverFile = parser.value(options.cover);
    join.moreTag = {.genre = parser.value(options.genre),
                    .albumArtist = parser.value(options.albumArtist),
                    .composer = parser.value(options.composer)};
    const std::vector<const QCommandLineOption*> tagValues = options.TagValueOptions();
    if (!request.preferences.saveID3Tag &&
        std::any_of(tagValues.begin(), tagValues.end(),
                    [&parser](const QCommandLineOption* value) { return parser.isSet(*value); })) {
        request.warnings << QStringLiteral("tag values given without --tag; no tag is written");
    }
    if (parser.isSet(options.chapterFormat) && join.chapterFile.isEmpty() &&
        request.exportChapters.isEmpty()) {
        request.warnings << QStringLiteral(
            "--chapter-format given without --chapter-file or --export-chapters; "
            "it names the form of no file");
    }
    return request;
}

}  // namespace

std::variant<Answer, Request> ReadCommandLine(const QStringList& arguments) {
    const Options options;
    QCommandLineParser parser;
    if (std::optional<Answer> answered = Parse(parser, options, arguments)) {
        return *std::move(answered);
    }
    return ReadRequest(parser, options);
}

QString UnusableArgument(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        if (const QString problem = UnusableName(bytes); !problem.isEmpty()) {
            return QStringLiteral("Cannot use %1: %2.")
                .arg(Quoted(QFile::decodeName(bytes)), problem);
        }
    }
    return QString();
}

}  // namespace tessaro::cli
