// tessaro-join: joins MP3 files frame by frame, without re-encoding, from the command line.

#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <new>
#include <optional>

#include "Version.h"
#include "io/AtomicWrite.h"
#include "io/Files.h"
#include "merge/Chapters.h"
#include "merge/JoinChoices.h"
#include "merge/MergeJob.h"
#include "settings/JoinPreferences.h"
#include "translations/Translations.h"
#include "workspace/FolderInputs.h"
#include "workspace/NaturalOrder.h"
#include "workspace/TessaroWorkSpace.h"

namespace {

using tessaro::Quoted;

// 3 lets a script tell a join that lost inputs from one that took them all.
enum ExitCode { Success = 0, Failure = 1, WrongUsage = 2, InputsSkipped = 3 };

void Print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

void Warn(const QString& text) {
    Print(stderr, QStringLiteral("tessaro-join: warning: ") + text);
}

// Says why the run ends without a join; returns its exit code.
int Fail(const QString& text) {
    Print(stderr, QStringLiteral("tessaro-join: error: ") + text);
    return Failure;
}

// Says why the command line cannot be carried out as given; returns its exit code.
int Misuse(const QString& text) {
    Print(stderr, QStringLiteral("tessaro-join: ") + text);
    return WrongUsage;
}

// Fills the workspace from a ".twk" file, the folders it lists standing for their files (what
// they came to in `folders`); returns why the file cannot be used, or an empty text.
QString LoadWorkspace(tessaro::TessaroWorkSpace& workspace, const QString& path,
                      tessaro::FolderInputs& folders) {
    if (const QString problem = tessaro::UnusableName(path); !problem.isEmpty()) {
        return QStringLiteral("cannot open the workspace %1: %2").arg(Quoted(path), problem);
    }
    // Opened here first for the system's reason: the loader counts a file it cannot open as one
    // without the identifier. Not waiting for a FIFO's writer.
    QString reason;
    if (const int fd = tessaro::OpenRegularFile(path, &reason); fd >= 0) {
        ::close(fd);
    } else {
        return QStringLiteral("cannot open the workspace %1: %2").arg(Quoted(path), reason);
    }
    try {
        folders = workspace.LoadFromFile(path);
    } catch (const tessaro::BadTessaroWorkSpaceIden&) {
        return QStringLiteral("%1 is not a workspace file: it does not start with \"TWKS\"")
            .arg(Quoted(path));
    } catch (const tessaro::BadTessaroWorkSpaceFile& damaged) {
        return QStringLiteral("the workspace %1 is damaged: %2").arg(Quoted(path), damaged.reason);
    }
    if (workspace.Paths().isEmpty()) {
        return QStringLiteral("the workspace %1 lists no files to join").arg(Quoted(path));
    }
    return QString();
}

// Draws a bar on stderr, redrawn only when the percentage changes: the job reports every frame.
class ConsoleHost : public tessaro::MergeHost {
public:
    explicit ConsoleHost(bool showBar) : showBar(showBar) {}
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

private:
    const bool showBar;
    qint32 range = 100;
    qint32 shown = -1;
    bool drawn = false;
};

const QStringList kOrders{QStringLiteral("natural"), QStringLiteral("track")};

// A joined-file choice the tool offers, as the window has it too.
struct ChoiceOption {
    const tessaro::JoinChoice* choice;
    QCommandLineOption option;

    // The value it may be given without, if any.
    const tessaro::ChoiceValue* OptionalValue() const {
        return choice->value && choice->value->optional ? &*choice->value : nullptr;
    }
    QString Name() const { return option.names().first(); }
};

std::vector<ChoiceOption> ChoiceOptions() {
    std::vector<ChoiceOption> offered;
    for (const tessaro::JoinChoice& choice : tessaro::JoinChoices()) {
        if (choice.option) {
            offered.push_back(
                {&choice, QCommandLineOption(
                              QString::fromLatin1(choice.option),
                              QCoreApplication::translate("TessaroJoin", choice.help),
                              choice.value ? QString::fromLatin1(choice.value->name) : QString())});
        }
    }
    return offered;
}

// The options, declared once for the parser and for reading what it found.
struct Options {
    Q_DECLARE_TR_FUNCTIONS(TessaroJoin)

public:
    const QCommandLineOption output{{QStringLiteral("o"), QStringLiteral("output")},
                                    tr("Write the joined file to OUTPUT (required)."),
                                    QStringLiteral("OUTPUT")};
    const QCommandLineOption workspaceFile{
        {QStringLiteral("w"), QStringLiteral("workspace")},
        tr("Join the files listed in the workspace file WORKSPACE.twk instead of "
           "INPUT...; its tag values serve --tag unless the options below override "
           "them."),
        QStringLiteral("WORKSPACE.twk")};
    const QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")},
                                   tr("Show no progress bar and no summary.")};
    const QCommandLineOption tag{QStringLiteral("tag"),
                                 tr("Write an ID3 tag with the values below into the output.")};
    const QCommandLineOption album{QStringLiteral("album"), tr("Album of the tag."),
                                   QStringLiteral("TEXT")};
    const QCommandLineOption artist{QStringLiteral("artist"), tr("Artist of the tag."),
                                    QStringLiteral("TEXT")};
    const QCommandLineOption title{QStringLiteral("title"), tr("Title of the tag."),
                                   QStringLiteral("TEXT")};
    const QCommandLineOption year{
        QStringLiteral("year"), tr("Year of the tag; 0 or less writes none."), QStringLiteral("N")};
    const QCommandLineOption comment{QStringLiteral("comment"), tr("Comment of the tag."),
                                     QStringLiteral("TEXT")};
    const QCommandLineOption genre{QStringLiteral("genre"), tr("Genre of the tag."),
                                   QStringLiteral("TEXT")};
    const QCommandLineOption albumArtist{QStringLiteral("album-artist"),
                                         tr("Album artist of the tag."), QStringLiteral("TEXT")};
    const QCommandLineOption composer{
        QStringLiteral("composer"),
        tr("Composer of the tag (where audiobook tools file the narrator)."),
        QStringLiteral("TEXT")};
    const QCommandLineOption chapterFile{
        QStringLiteral("chapter-file"),
        tr("Take the output's chapters from FILE, each starting on the joined timeline as "
           "players show it: lines \"HH:MM:SS.mmm Title\" (or \"MM:SS Title\"), a CUE "
           "sheet, ffmpeg's FFMETADATA, Podcasting 2.0 JSON chapters or Audacity labels, "
           "told by its contents. A file whose times do not increase or pass the end of the "
           "audio is refused."),
        QStringLiteral("FILE")};
    const QCommandLineOption exportChapters{
        QStringLiteral("export-chapters"),
        tr("Write the output's chapters to FILE (with neither option above: a chapter for "
           "each joined input), in the form its extension names: .cue, .json, .ffmeta or "
           ".ffmetadata, .labels (Audacity's), or lines \"HH:MM:SS.mmm Title\" for any "
           "other, .txt included."),
        QStringLiteral("FILE")};
    const QCommandLineOption cover{
        QStringLiteral("cover"),
        tr("Put the JPEG or PNG picture FILE into the output's tag as its front cover."),
        QStringLiteral("FILE")};

    const QCommandLineOption sort{
        QStringLiteral("sort"),
        tr("Join the inputs in ORDER instead of the order given: natural, by their "
           "file names with numbers by value (\"Chapter 2\" before \"Chapter 10\"); "
           "or track, by the disc and track numbers of their tags, those alike or "
           "untagged by name."),
        QStringLiteral("ORDER")};
    const QCommandLineOption forceName{
        QStringLiteral("force-name"),
        tr("Write the output even though its name ends in the extension of another audio "
           "format (.m4b, .m4a, .aac, .ogg, .opus, .flac, .wav); it holds MP3 audio all the "
           "same.")};
    const QCommandLineOption batch{
        QStringLiteral("batch"),
        tr("Join each INPUT, a folder, into a file of its own: OUTPUT is a folder, and the "
           "files under FOLDER go to OUTPUT/FOLDER.mp3, with the same options, one folder after "
           "the other. A folder that fails does not stop the others; the exit status is the "
           "worst of theirs, and a summary names each one's result. Not with -w, "
           "--chapter-file or --export-chapters.")};

    const std::vector<ChoiceOption> choices = ChoiceOptions();
    const QCommandLineOption& Choice(const char* name) const {
        return std::find_if(choices.begin(), choices.end(),
                            [name](const ChoiceOption& offered) {
                                return offered.Name() == QLatin1String(name);
                            })
            ->option;
    }
    const QCommandLineOption& chapters = Choice("chapters");
    const QCommandLineOption& copyCover = Choice("copy-cover");
    const QCommandLineOption& chapterFormat = Choice("chapter-format");
    const QCommandLineOption& level = Choice("level");
    const QCommandLineOption& levelMode = Choice("level-mode");

    void AddTo(QCommandLineParser& parser) const {
        parser.addOptions({output, workspaceFile, quiet, tag, album, artist, title, year, comment,
                           genre, albumArtist, composer});
        for (const ChoiceOption& offered : choices) {
            parser.addOption(offered.option);
        }
        parser.addOptions({chapterFile, exportChapters, cover, sort});
        parser.addOptions({forceName, batch});
    }
    // The options that give tag values, which --tag writes.
    std::vector<const QCommandLineOption*> TagValueOptions() const {
        return {&album, &artist, &title, &year, &comment, &genre, &albumArtist, &composer};
    }

    // The arguments with every optional value given, which the parser cannot leave out:
    // "--name=VALUE" or "--name VALUE" gives one, and so does "--name" before an argument it
    // takes as its value; alone, "--name" stands for the value's fallback. Arguments behind "--"
    // are inputs, whatever their names.
    QStringList WithOptionalValues(QStringList arguments) const {
        for (qsizetype i = 0; i < arguments.size() && arguments[i] != QLatin1String("--"); ++i) {
            for (const ChoiceOption& offered : choices) {
                const tessaro::ChoiceValue* value = offered.OptionalValue();
                if (!value || arguments[i] != QLatin1String("--") + offered.Name()) {
                    continue;
                }
                const bool valueFollows =
                    i + 1 < arguments.size() && value->TakesAsValue(arguments[i + 1]);
                arguments[i] +=
                    QLatin1Char('=') + (valueFollows ? arguments.takeAt(i + 1) : value->fallback);
            }
        }
        return arguments;
    }
    // The parser's help, which shows every value as needed, with the optional ones as such.
    QString HelpText(const QCommandLineParser& parser) const {
        QString help = parser.helpText();
        for (const ChoiceOption& offered : choices) {
            if (const tessaro::ChoiceValue* value = offered.OptionalValue()) {
                const QString name = QLatin1String("--") + offered.Name();
                const QString valueName = QLatin1String(value->name);
                help.replace(name + QStringLiteral(" <") + valueName + QLatin1Char('>'),
                             name + QStringLiteral("[=") + valueName + QLatin1Char(']'));
            }
        }
        return help;
    }
    // Why a value given to a joined-file choice cannot be taken; empty when all can.
    QString RefusedChoiceValue(const QCommandLineParser& parser) const {
        for (const ChoiceOption& offered : choices) {
            const QString given = parser.value(offered.option);
            if (offered.choice->value && parser.isSet(offered.option) &&
                !offered.choice->value->Accepts(given)) {
                return offered.choice->value->Refusal(offered.Name(), given);
            }
        }
        return QString();
    }
    // Turns the joined-file choices as the command line asks.
    void TurnChoices(const QCommandLineParser& parser, tessaro::JoinOptions& join) const {
        for (const ChoiceOption& offered : choices) {
            const bool given = parser.isSet(offered.option);
            if (offered.choice->turn) {
                offered.choice->turn(join, given);
            }
            if (given && offered.choice->value) {
                offered.choice->value->write(join, parser.value(offered.option));
            }
        }
    }
};

// The tag values given, each to replace the workspace's own; none where not given.
struct TagValues {
    std::optional<QString> album, artist, title, comment;
    std::optional<qint32> year;

    tessaro::OutputTag Over(const tessaro::OutputTag& kept) const {
        return {.album = album.value_or(kept.album),
                .artist = artist.value_or(kept.artist),
                .title = title.value_or(kept.title),
                .year = year.value_or(kept.year),
                .comment = comment.value_or(kept.comment)};
    }
};

// What the command line asks for.
struct Request {
    QString output;
    QString workspaceFile;  // empty when the inputs are given one by one
    QStringList inputs;
    QString order;  // of --sort; empty for the order given
    bool quiet = false;
    tessaro::JoinPreferences preferences;  // SaveID3Tag is --tag
    TagValues tag;
    QString exportChapters;  // where the chapters go; empty for nowhere
    bool forceName = false;  // the output written whatever its name's extension
    bool batch = false;      // each input a folder to join into a file of its own
    // What the inputs' folders held when walked before anything was written, as a batch walks
    // every book's; none to walk them when the join starts.
    std::optional<tessaro::FolderInputs> walked;
};

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

// Parses the command line into `parser`. Returns the exit code where it is answered without a
// join: help or the version printed, or wrong usage; none when it asks for a join.
std::optional<int> Parse(QCommandLineParser& parser, const Options& options) {
    SetUpParser(parser, options);
    const bool parsed = parser.parse(options.WithOptionalValues(QCoreApplication::arguments()));
    if (parsed && parser.isSet(QStringLiteral("help"))) {
        Print(stdout, options.HelpText(parser));
        return Success;
    }
    if (parsed && parser.isSet(QStringLiteral("help-all"))) {
        // Only the parser knows Qt's own options: it prints them with ours and exits.
        parser.process(QCoreApplication::arguments());
    }
    if (parsed && parser.isSet(QStringLiteral("version"))) {
        Print(stdout, QStringLiteral("tessaro-join " TESSARO_VERSION));
        return Success;
    }
    QString misuse = parsed ? MissingOrClashing(parser, options) : parser.errorText();
    misuse = misuse.isEmpty() ? RefusedValue(parser, options) : misuse;
    if (misuse.isEmpty()) {
        return std::nullopt;
    }
    Misuse(misuse);
    Print(stderr, options.HelpText(parser));
    return WrongUsage;
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

// What the parser found, with a warning for tag values that go unwritten.
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
    tessaro::JoinOptions& join = request.preferences.options;
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
        Warn(QStringLiteral("tag values given without --tag; no tag is written"));
    }
    if (parser.isSet(options.chapterFormat) && join.chapterFile.isEmpty() &&
        request.exportChapters.isEmpty()) {
        Warn(
            QStringLiteral("--chapter-format given without --chapter-file or --export-chapters; "
                           "it names the form of no file"));
    }
    return request;
}

// Puts the inputs in the order asked for; without one, warns of numbered names that natural
// order would put the other way round, as a shell's "Chapter*.mp3" gives them.
void Order(tessaro::TessaroWorkSpace& workspace, const QString& order) {
    if (order.isEmpty()) {
        if (const auto pair = tessaro::FirstPairOutOfOrder(workspace.Paths())) {
            Warn(QStringLiteral("%1 is joined before %2, against the natural order of their "
                                "names; --sort=natural joins the inputs in that order")
                     .arg(Quoted(pair->first), Quoted(pair->second)));
        }
        return;
    }
    workspace.SetPaths(order == QStringLiteral("track")
                           ? tessaro::SortedByTrack(workspace.Paths())
                           : tessaro::SortedByFileName(workspace.Paths()));
}

// Fills the workspace with the inputs asked for, each folder standing for its files, in the
// order asked for, and the tag values given, each of which replaces the workspace's own; returns
// why it cannot be, or an empty text. `skipped` counts the folders that gave nothing.
QString FillWorkspace(tessaro::TessaroWorkSpace& workspace, const Request& request, int& skipped) {
    tessaro::FolderInputs folders;
    QString problem;
    if (request.workspaceFile.isEmpty()) {
        folders = request.walked ? *request.walked : tessaro::ExpandFolders(request.inputs);
        for (const QString& input : std::as_const(folders.files)) {
            workspace.AddPath(input);
        }
    } else {
        problem = LoadWorkspace(workspace, request.workspaceFile, folders);
    }
    for (const QString& note : std::as_const(folders.notes)) {
        Warn(note);
    }
    if (!problem.isEmpty()) {
        return problem;
    }
    skipped = folders.skipped;
    Order(workspace, request.order);
    workspace.SetTag(request.tag.Over(workspace.Tag()));
    return QString();
}

// What the run reads or writes at `path` already ("the output", "an input", ...), which
// chapters written there would replace; empty for nothing.
QString TakenFor(const QString& path, const Request& request,
                 const tessaro::TessaroWorkSpace& workspace) {
    const tessaro::JoinOptions& join = request.preferences.options;
    const std::pair<const char*, QStringList> uses[] = {{"the output", {request.output}},
                                                        {"an input", workspace.Paths()},
                                                        {"the workspace", {request.workspaceFile}},
                                                        {"the cover picture", {join.coverFile}},
                                                        {"the chapter file", {join.chapterFile}}};
    // The output may not be there yet: then its path alone tells.
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (const auto& [use, paths] : uses) {
        for (const QString& other : paths) {
            if (!other.isEmpty() &&
                (QDir::cleanPath(QFileInfo(other).absoluteFilePath()) == absolute ||
                 tessaro::SameFile(path, other))) {
                return QLatin1String(use);
            }
        }
    }
    return QString();
}

// Why the chapters must not be written to the file asked for, found before anything is written:
// a place where no file can be put, or a file the run reads or writes. Empty when they may, or
// none are asked for.
QString RefuseExport(const Request& request, const tessaro::TessaroWorkSpace& workspace) {
    const QString& target = request.exportChapters;
    if (target.isEmpty()) {
        return QString();
    }
    QString refusal = tessaro::AtomicWriteRefusal(target);
    if (const QString taken = TakenFor(target, request, workspace);
        refusal.isEmpty() && !taken.isEmpty()) {
        refusal = QStringLiteral("it is ") + taken;
    }
    return refusal.isEmpty()
               ? QString()
               : QStringLiteral("cannot write the chapters to %1: %2").arg(Quoted(target), refusal);
}

// Joins the inputs, the chapters exported where asked: the join writes them along with the
// output, so that chapters their form cannot hold leave both files unwritten.
tessaro::MergeResult Join(const tessaro::TessaroWorkSpace& workspace, const Request& request) {
    ConsoleHost host(!request.quiet && isatty(STDERR_FILENO));
    const tessaro::JoinOptions& options = request.preferences.options;
    std::optional<tessaro::ChapterExport> exported;
    if (!request.exportChapters.isEmpty()) {
        exported = {
            request.exportChapters,
            options.chapterForm.value_or(tessaro::ChapterFormOfName(request.exportChapters))};
    }
    return tessaro::RunMerge({.inputs = workspace.Paths(),
                              .output = request.output,
                              .tag = workspace.Tag(),
                              .writeTag = request.preferences.saveID3Tag,
                              .options = options,
                              .forceName = request.forceName,
                              .chapterExport = exported},
                             host);
}

// Prints the warnings and the outcome; returns the exit code. `inputCount` counts the folders
// that gave no file among the inputs.
int Report(const tessaro::MergeResult& result, const Request& request, qsizetype inputCount) {
    for (const QString& warning : result.warnings) {
        Warn(warning);
    }
    if (!result.Succeeded()) {
        return Fail(result.error);
    }
    const qsizetype skipped = inputCount - result.inputsJoined;
    if (!request.quiet) {
        Print(stdout,
              QStringLiteral("Joined %1 of %2 inputs%3: %4 frames, %5 bytes written to %6")
                  .arg(result.inputsJoined)
                  .arg(inputCount)
                  .arg(skipped == 0 ? QString() : QStringLiteral(" (%1 skipped)").arg(skipped))
                  .arg(result.frames)
                  .arg(result.written)
                  .arg(request.output));
    }
    return skipped == 0 ? Success : InputsSkipped;
}

// Why an argument cannot be used as its bytes stand; empty when all can. Qt reads bytes that are
// not UTF-8 as U+FFFD, which may spell another file's name: the bytes are judged here, while
// they are at hand.
QString UnusableArgument(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray bytes(argv[i]);
        if (const QString problem = tessaro::UnusableName(bytes); !problem.isEmpty()) {
            return QStringLiteral("Cannot use %1: %2.")
                .arg(Quoted(QFile::decodeName(bytes)), problem);
        }
    }
    return QString();
}

// Joins the inputs the request names into its output, saying what became of them; returns the
// exit code. `doing` says what it does meanwhile.
int JoinInputs(const Request& request, const char*& doing) {
    if (const QString misnamed = tessaro::MisnamedOutput(request.output);
        !request.forceName && !misnamed.isEmpty()) {
        return Fail(QStringLiteral("cannot write %1: %2; --force-name writes it anyway")
                        .arg(Quoted(request.output), misnamed));
    }
    doing = "gather the inputs";
    tessaro::TessaroWorkSpace workspace;
    int skippedFolders = 0;
    if (const QString problem = FillWorkspace(workspace, request, skippedFolders);
        !problem.isEmpty()) {
        return Fail(problem);
    }
    if (const QString refusal = RefuseExport(request, workspace); !refusal.isEmpty()) {
        return Fail(refusal);
    }
    doing = "join the inputs";
    const tessaro::MergeResult result = Join(workspace, request);
    return Report(result, request, workspace.Paths().size() + skippedFolders);
}

// A folder of a batch, joined into a file of its own, and the exit code of its join.
struct Book {
    QString folder;
    QString output;  // empty for a folder without a name, the root
    // Its files, walked before any book is joined; none for no folder.
    std::optional<tessaro::FolderInputs> files{};
    int exitCode = Failure;
};

// Failure before inputs skipped before success: what a batch's exit code tells of its books.
int Worse(int one, int other) {
    const auto rank = [](int code) { return code == Failure ? 2 : code == InputsSkipped ? 1 : 0; };
    return rank(other) > rank(one) ? other : one;
}

// `path` as messages name it, with where it leads when that reads otherwise.
QString Resolved(const QString& path, const QString& canonical) {
    return canonical == path ? Quoted(path)
                             : QStringLiteral("%1 (%2)").arg(Quoted(path), canonical);
}

// Why the batch must not write into `outputFolder`: it is, or lies inside, the folder of one of
// `books` that is walked (a folder with a name), whose files would then take in the books joined
// before it. Both resolved whole, links included. Empty when it lies outside every book.
QString NestedOutput(const QString& outputFolder, const std::vector<Book>& books) {
    const QString output = QFileInfo(outputFolder).canonicalFilePath();
    for (const Book& book : books) {
        const QString folder = QFileInfo(book.folder).canonicalFilePath();
        const QString inside = folder.endsWith(QLatin1Char('/')) ? folder : folder + u'/';
        if (!book.output.isEmpty() && QFileInfo(folder).isDir() &&
            (output == folder || output.startsWith(inside))) {
            return QStringLiteral(
                       "the output folder %1 lies inside the folder %2 of the batch, whose join "
                       "would take in what the batch writes there; give -o a folder outside "
                       "every folder joined")
                .arg(Resolved(outputFolder, output), Resolved(book.folder, folder));
        }
    }
    return QString();
}

// Leaves out of `walked` each file that is the output of one of `written`, the books whose output
// is there already, through a link or a hard link, with a note: this run would put the book's
// join there, or an earlier run has.
void LeaveOutJoins(tessaro::FolderInputs& walked, const std::vector<const Book*>& written) {
    QStringList kept;
    for (const QString& file : std::as_const(walked.files)) {
        const auto joined = std::find_if(written.begin(), written.end(), [&file](const Book* book) {
            return tessaro::SameFile(file, book->output);
        });
        if (joined == written.end()) {
            kept << file;
            continue;
        }
        walked.notes << QStringLiteral("Skipped %1: it is the file the batch joins %2 into")
                            .arg(Quoted(file), Quoted((*joined)->folder));
        ++walked.skipped;
    }
    walked.files = std::move(kept);
}

// Walks the folder of every book before any is joined, so that none takes in a join of this run.
void WalkBooks(std::vector<Book>& books) {
    std::vector<const Book*> written;
    for (const Book& book : books) {
        if (!book.output.isEmpty() && QFileInfo::exists(book.output)) {
            written.push_back(&book);
        }
    }
    for (Book& book : books) {
        if (!book.output.isEmpty() && QFileInfo(book.folder).isDir()) {
            book.files = tessaro::ExpandFolders({book.folder});
            LeaveOutJoins(*book.files, written);
        }
    }
}

// Joins the book in `book.folder` into `book.output`, as `batch` asks for every book, unless it is
// no folder or its output is an earlier book's; returns the exit code.
int JoinBook(const Book& book, const std::vector<Book>& books, const Request& batch,
             const char*& doing) {
    if (!book.files) {
        return Fail(QStringLiteral("%1 is not a folder with a name; --batch joins the files of "
                                   "each folder given into a file named as the folder")
                        .arg(Quoted(book.folder)));
    }
    for (const Book* other = books.data(); other != &book; ++other) {
        if (other->output == book.output) {
            return Fail(QStringLiteral("%1 would replace the join of %2; give folders of "
                                       "different names")
                            .arg(Quoted(book.output), Quoted(other->folder)));
        }
    }
    Request request = batch;
    request.inputs = {book.folder};
    request.walked = book.files;
    request.output = book.output;
    return JoinInputs(request, doing);
}

// The books the folders of `batch` make, each with its output, none walked yet.
std::vector<Book> BooksOf(const Request& batch) {
    std::vector<Book> books;
    for (const QString& folder : batch.inputs) {
        // The root has no name to give.
        const QString name = QDir(QDir::cleanPath(QFileInfo(folder).absoluteFilePath())).dirName();
        books.push_back(
            {.folder = folder,
             .output = name.isEmpty()
                           ? QString()
                           : QDir(batch.output).filePath(name + QStringLiteral(".mp3"))});
    }
    return books;
}

// Names each book's result.
void Summarise(const std::vector<Book>& books) {
    const auto joined = std::count_if(books.begin(), books.end(),
                                      [](const Book& book) { return book.exitCode != Failure; });
    Print(stdout, QStringLiteral("Joined %1 of %2 folders:").arg(joined).arg(books.size()));
    for (const Book& book : books) {
        QString result = QStringLiteral("failed");
        if (book.exitCode != Failure) {
            result =
                (book.exitCode == InputsSkipped ? QStringLiteral("joined into %1, inputs skipped")
                                                : QStringLiteral("joined into %1"))
                    .arg(Quoted(book.output));
        }
        Print(stdout, QStringLiteral("  %1: %2").arg(Quoted(book.folder), result));
    }
}

// Joins each folder the request names into OUTPUT/FOLDER.mp3, one after the other, whatever
// became of the ones before, and names each one's result; returns the worst of their exit codes.
// Every folder is walked first, so that no book takes in another's join.
int JoinBatch(const Request& batch, const char*& doing) {
    if (!QFileInfo(batch.output).isDir()) {
        return Fail(QStringLiteral("%1 is not a folder; with --batch, -o names the folder the "
                                   "joined files go to")
                        .arg(Quoted(batch.output)));
    }
    std::vector<Book> books = BooksOf(batch);
    if (const QString nested = NestedOutput(batch.output, books); !nested.isEmpty()) {
        return Misuse(nested);
    }
    doing = "gather the inputs";
    WalkBooks(books);
    int worst = Success;
    for (Book& book : books) {
        book.exitCode = JoinBook(book, books, batch, doing);
        worst = Worse(worst, book.exitCode);
    }
    if (!batch.quiet) {
        Summarise(books);
    }
    return worst;
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
        const Options options;
        QCommandLineParser parser;
        if (const std::optional<int> answered = Parse(parser, options)) {
            return *answered;
        }
        if (const QString problem = UnusableArgument(argc, argv); !problem.isEmpty()) {
            return Fail(problem);
        }
        const Request request = ReadRequest(parser, options);
        return request.batch ? JoinBatch(request, doing) : JoinInputs(request, doing);
    } catch (const std::bad_alloc&) {
        // Said without allocating anything more.
        std::fprintf(stderr, "tessaro-join: error: not enough memory to %s\n", doing);
        return Failure;
    }
}
