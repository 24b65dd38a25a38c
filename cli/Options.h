#pragma once

// The options of tessaro-join, declared once for the parser and for reading what it found.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <vector>

#include "merge/JoinChoices.h"

namespace tessaro::cli {

// A joined-file choice the tool offers, as the window has it too.
struct ChoiceOption {
    const JoinChoice* choice;
    QCommandLineOption option;

    // The value it may be given without, if any.
    const ChoiceValue* OptionalValue() const {
        return choice->value && choice->value->optional ? &*choice->value : nullptr;
    }
    QString Name() const { return option.names().first(); }
};

std::vector<ChoiceOption> ChoiceOptions();

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
           "players show it: %1, told by its contents. A file whose times do not increase or "
           "pass the end of the audio is refused.")
            .arg(ChapterFormsListed([](const ChapterFormInfo& form) {
                return QCoreApplication::translate("TessaroJoin", form.kind);
            })),
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
    const QCommandLineOption& Choice(const char* name) const;
    const QCommandLineOption& chapters = Choice("chapters");
    const QCommandLineOption& silenceThreshold = Choice("silence-threshold");
    const QCommandLineOption& copyCover = Choice("copy-cover");
    const QCommandLineOption& chapterFormat = Choice("chapter-format");
    const QCommandLineOption& level = Choice("level");
    const QCommandLineOption& levelMode = Choice("level-mode");

    void AddTo(QCommandLineParser& parser) const;
    // The options that give tag values, which --tag writes.
    std::vector<const QCommandLineOption*> TagValueOptions() const;

    // The arguments with every optional value given, which the parser cannot leave out:
    // "--name=VALUE" or "--name VALUE" gives one, and so does "--name" before an argument it
    // takes as its value; alone, "--name" stands for the value's fallback. Arguments behind "--"
    // are inputs, whatever their names.
    QStringList WithOptionalValues(QStringList arguments) const;
    // The parser's help, which shows every value as needed, with the optional ones as such.
    QString HelpText(const QCommandLineParser& parser) const;
    // Why a value given to a joined-file choice cannot be taken; empty when all can.
    QString RefusedChoiceValue(const QCommandLineParser& parser) const;
    // Turns the joined-file choices as the command line asks.
    void TurnChoices(const QCommandLineParser& parser, JoinOptions& join) const;
};

}  // namespace tessaro::cli
