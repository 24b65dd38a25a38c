#include <gtest/gtest.h>

#include <QCoreApplication>
#include <functional>
#include <memory>
#include <variant>

#include "cli/CommandLine.h"
#include "cli/Options.h"

namespace {

using namespace tessaro::cli;

// The parser's help names the program as QCoreApplication has it.
class CommandLineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "tessaro-join";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }

    static std::variant<Answer, Request> Read(QStringList arguments) {
        arguments.prepend(QStringLiteral("tessaro-join"));
        return ReadCommandLine(arguments);
    }
};

QStringList Split(const char* arguments) {
    return QString::fromUtf8(arguments).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Each refused with exit code 2, its reason on the first line and the usage after it.
TEST_F(CommandLineTest, WrongUsageIsAnsweredWithTheReasonAndTheUsage) {
    for (const auto& [arguments, reason] : {
             std::pair{"in.mp3", "no output file given (-o OUTPUT)"},
             {"-o out.mp3", "no input files given (INPUT... or -w WORKSPACE.twk)"},
             {"-w job.twk -o out.mp3 in.mp3",
              "give the input files either as INPUT... or with -w, not both"},
             {"--copy-cover --cover c.jpg -o out.mp3 in.mp3",
              "give either --copy-cover or --cover FILE, not both"},
             {"--chapters --chapter-file c.txt -o out.mp3 in.mp3",
              "give either --chapters or --chapter-file FILE, not both"},
             {"--level-mode=album -o out.mp3 in.mp3",
              "--level-mode says how --level levels: give both"},
             {"--level --level-mode=loud -o out.mp3 in.mp3",
              "--level-mode needs \"track\" or \"album\", not \"loud\""},
             {"--batch -w job.twk -o out",
              "--batch joins each folder given into a file of its own; --workspace names one "
              "file for the whole run"},
             {"--batch --chapter-file c.txt -o out shelf",
              "--batch joins each folder given into a file of its own; --chapter-file names one "
              "file for the whole run"},
             {"--batch --export-chapters c.cue -o out shelf",
              "--batch joins each folder given into a file of its own; --export-chapters names "
              "one file for the whole run"},
             {"--sort=size -o out.mp3 in.mp3", "--sort needs natural or track, not \"size\""},
             {"--year 20x -o out.mp3 in.mp3", "--year needs a whole number, not \"20x\""},
             {"--bogus -o out.mp3 in.mp3", "Unknown option 'bogus'."},
             // A number behind --level is its value, however far out.
             {"--level 20 -o out.mp3 in.mp3",
              "--level needs a loudness in LUFS from -70 to 0, not \"20\""},
             {"--chapters=each -o out.mp3 in.mp3",
              "--chapters takes no value, \"title\" or \"silence\", not \"each\""},
             {"--chapters=silence=0 -o out.mp3 in.mp3",
              "--chapters=silence needs a positive number of seconds, not \"0\""},
             {"--chapters silence=2s -o out.mp3 in.mp3",
              "--chapters=silence needs a positive number of seconds, not \"2s\""},
             {"--chapters=silence --silence-threshold 5 -o out.mp3 in.mp3",
              "--silence-threshold needs a level in dBFS from -120 to 0, not \"5\""},
             {"--silence-threshold -40 -o out.mp3 in.mp3",
              "--silence-threshold says how quiet --chapters=silence takes a silence to be: give "
              "both"},
             {"--chapters=title --silence-threshold -40 -o out.mp3 in.mp3",
              "--silence-threshold says how quiet --chapters=silence takes a silence to be: give "
              "both"},
             {"--gap=1s -o out.mp3 in.mp3", "--gap needs seconds from 0 to 60, not \"1s\""},
         }) {
        const auto read = Read(Split(arguments));
        const Answer* answer = std::get_if<Answer>(&read);
        ASSERT_NE(answer, nullptr) << arguments;
        EXPECT_EQ(answer->exitCode, 2) << arguments;
        ASSERT_EQ(answer->lines.size(), 2) << arguments;
        EXPECT_EQ(answer->lines[0], QStringLiteral("tessaro-join: ") + QLatin1String(reason));
        EXPECT_TRUE(answer->lines[1].startsWith(QStringLiteral("Usage: tessaro-join")))
            << arguments;
    }
}

TEST_F(CommandLineTest, HelpAndVersionAreAnsweredWithoutAJoin) {
    auto read = Read({QStringLiteral("--help")});
    const Answer* help = std::get_if<Answer>(&read);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->exitCode, 0);
    ASSERT_EQ(help->lines.size(), 1);
    EXPECT_TRUE(
        help->lines[0].startsWith(QStringLiteral("Usage: tessaro-join [options] INPUT...")));
    // An optional value as such, a needed one in angle brackets.
    EXPECT_TRUE(help->lines[0].contains(QStringLiteral("  --chapters[=title|silence] ")));
    EXPECT_TRUE(help->lines[0].contains(QStringLiteral("  --silence-threshold <DB> ")));
    EXPECT_TRUE(help->lines[0].contains(QStringLiteral("  --gap <SECONDS> ")));

    read = Read({QStringLiteral("--version"), QStringLiteral("-o"), QStringLiteral("out.mp3")});
    const Answer* version = std::get_if<Answer>(&read);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->exitCode, 0);
    ASSERT_EQ(version->lines.size(), 1);
    EXPECT_TRUE(version->lines[0].startsWith(QStringLiteral("tessaro-join 1.")));
}

// The chapter options' help lists every chapter form, as each form names itself, "or" before the
// last.
TEST_F(CommandLineTest, TheChapterOptionsHelpListsEveryForm) {
    const Options options;
    EXPECT_EQ(options.chapterFile.description(),
              QStringLiteral(
                  "Take the output's chapters from FILE, each starting on the joined timeline as "
                  "players show it: lines \"HH:MM:SS.mmm Title\" (or \"MM:SS Title\"), a CUE "
                  "sheet, ffmpeg's FFMETADATA, Podcasting 2.0 JSON chapters or Audacity labels, "
                  "told by its contents. A file whose times do not increase or pass the end of the "
                  "audio is refused."));
    EXPECT_EQ(
        options.chapterFormat.description(),
        QStringLiteral(
            "Read the chapter file and write the exported chapters as FORMAT: lines "
            "(\"HH:MM:SS.mmm Title\"), cue (a CUE sheet), ffmetadata (ffmpeg's), json "
            "(Podcasting 2.0 chapters) or labels (Audacity's). Without it, the chapter file's "
            "contents and the exported file's extension tell."));
}

// What each command line asks for, checked where it differs from a plain join.
TEST_F(CommandLineTest, TheArgumentsAreReadIntoTheRequest) {
    const QString tagWarning = QStringLiteral("tag values given without --tag; no tag is written");
    const struct {
        const char* arguments;
        std::function<void(const Request&)> check;
    } cases[] = {
        {"-o out.mp3 b.mp3 a.mp3",
         [](const Request& request) {
             EXPECT_EQ(request.output, QStringLiteral("out.mp3"));
             EXPECT_EQ(request.inputs, Split("b.mp3 a.mp3"));
             EXPECT_TRUE(request.order.isEmpty());
             EXPECT_FALSE(request.quiet || request.batch || request.forceName);
             EXPECT_FALSE(request.preferences.saveID3Tag);
             EXPECT_FALSE(request.preferences.options.chapters);
             EXPECT_TRUE(request.warnings.isEmpty());
         }},
        {"--tag --album Shelf --year 1999 --composer Ann -q -o out.mp3 in.mp3",
         [](const Request& request) {
             EXPECT_TRUE(request.preferences.saveID3Tag);
             EXPECT_TRUE(request.quiet);
             tessaro::OutputTag kept;
             kept.artist = QStringLiteral("Kept");
             const tessaro::OutputTag tag = request.tag.Over(kept);
             EXPECT_EQ(tag.album, QStringLiteral("Shelf"));
             EXPECT_EQ(tag.artist, QStringLiteral("Kept"));
             EXPECT_EQ(tag.year, 1999);
             EXPECT_EQ(request.preferences.options.moreTag.composer, QStringLiteral("Ann"));
             EXPECT_TRUE(request.warnings.isEmpty());
         }},
        {"--album Shelf -o out.mp3 in.mp3",
         [&tagWarning](const Request& request) {
             EXPECT_EQ(request.warnings, QStringList{tagWarning});
         }},
        {"--chapter-format=cue -o out.mp3 in.mp3",
         [](const Request& request) {
             EXPECT_EQ(request.warnings,
                       QStringList{QStringLiteral(
                           "--chapter-format given without --chapter-file or --export-chapters; "
                           "it names the form of no file")});
         }},
        // Chapters to export are made as for the tag, unless a chapter file gives them.
        {"--export-chapters c.cue -o out.mp3 in.mp3",
         [](const Request& request) {
             EXPECT_EQ(request.exportChapters, QStringLiteral("c.cue"));
             EXPECT_TRUE(request.preferences.options.chapters);
             EXPECT_TRUE(request.warnings.isEmpty());
         }},
        {"--chapter-file c.txt --export-chapters c.cue -o out.mp3 in.mp3",
         [](const Request& request) {
             EXPECT_EQ(request.preferences.options.chapterFile, QStringLiteral("c.txt"));
             EXPECT_FALSE(request.preferences.options.chapters);
         }},
        // An optional value alone takes its fallback; an argument behind it that is no value of
        // its is an input, and so is everything behind "--".
        {"--level in.mp3 -o out.mp3 -- --level",
         [](const Request& request) {
             EXPECT_TRUE(request.preferences.options.level);
             EXPECT_EQ(request.preferences.options.levelTarget, tessaro::kReferenceLoudness);
             EXPECT_EQ(request.inputs, Split("in.mp3 --level"));
         }},
        {"--level -20.5 --level-mode album --gap 0.5 -o out.mp3 in.mp3",
         [](const Request& request) {
             EXPECT_EQ(request.preferences.options.levelTarget, -20.5);
             EXPECT_TRUE(request.preferences.options.levelAlbum);
             EXPECT_EQ(request.preferences.options.gapSeconds, 0.5);
             EXPECT_EQ(request.inputs, Split("in.mp3"));
         }},
        // Chapters by silence, as the rule has it unless told otherwise; by title, by none.
        {"--chapters silence in.mp3 -o out.mp3",
         [](const Request& request) {
             const tessaro::JoinOptions& options = request.preferences.options;
             EXPECT_TRUE(options.chapters);
             EXPECT_FALSE(options.chaptersByTitle);
             ASSERT_TRUE(options.chapterSilence);
             EXPECT_EQ(options.chapterSilence->minSeconds, tessaro::SilenceRule().minSeconds);
             EXPECT_EQ(options.chapterSilence->thresholdDb, tessaro::SilenceRule().thresholdDb);
             EXPECT_EQ(request.inputs, Split("in.mp3"));
         }},
        {"--chapters=silence=3.5 --silence-threshold -40 -o out.mp3 in.mp3",
         [](const Request& request) {
             const tessaro::JoinOptions& options = request.preferences.options;
             ASSERT_TRUE(options.chapterSilence);
             EXPECT_EQ(options.chapterSilence->minSeconds, 3.5);
             EXPECT_EQ(options.chapterSilence->thresholdDb, -40);
         }},
        {"--chapters=title -o out.mp3 in.mp3",
         [](const Request& request) {
             EXPECT_TRUE(request.preferences.options.chaptersByTitle);
             EXPECT_FALSE(request.preferences.options.chapterSilence);
         }},
        {"--copy-tags first --cover c.png --force-name -o out.m4b in.mp3",
         [](const Request& request) {
             EXPECT_TRUE(request.preferences.options.copyTags);
             EXPECT_TRUE(request.preferences.options.copyTagsFirst);
             EXPECT_EQ(request.preferences.options.coverFile, QStringLiteral("c.png"));
             EXPECT_TRUE(request.forceName);
         }},
        {"--sort=track -w job.twk -o out.mp3",
         [](const Request& request) {
             EXPECT_EQ(request.order, QStringLiteral("track"));
             EXPECT_EQ(request.workspaceFile, QStringLiteral("job.twk"));
             EXPECT_TRUE(request.inputs.isEmpty());
         }},
        {"--batch -o out shelf/A shelf/B",
         [](const Request& request) {
             EXPECT_TRUE(request.batch);
             EXPECT_EQ(request.inputs, Split("shelf/A shelf/B"));
             EXPECT_FALSE(request.walked.has_value());
         }},
    };
    for (const auto& [arguments, check] : cases) {
        SCOPED_TRACE(arguments);
        const auto read = Read(Split(arguments));
        const Request* request = std::get_if<Request>(&read);
        ASSERT_NE(request, nullptr) << std::get<Answer>(read).lines.value(0).toStdString();
        check(*request);
    }
}

// Bytes that are not UTF-8 are refused as they stand, before Qt turns them into U+FFFD.
TEST_F(CommandLineTest, AnArgumentThatIsNotUtf8IsUnusable) {
    char name[] = "tessaro-join";
    char output[] = "-o";
    char good[] = "out.mp3";
    char bad[] = "in\xff.mp3";
    char* usable[] = {name, output, good, nullptr};
    char* unusable[] = {name, output, good, bad, nullptr};
    EXPECT_TRUE(UnusableArgument(3, usable).isEmpty());
    EXPECT_TRUE(UnusableArgument(4, unusable).startsWith(QStringLiteral("Cannot use \"in")));
}

}  // namespace
