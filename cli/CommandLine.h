#pragma once

// The command line of tessaro-join read into what it asks for: a join, or an answer without one.
// Errors: none raised; a command line that asks for no join, or cannot be carried out as given,
// comes back as the answer to print, with its exit code.

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

#include "settings/JoinPreferences.h"
#include "workspace/FolderInputs.h"
#include "workspace/OutputTag.h"

namespace tessaro::cli {

// The tag values given, each to replace the workspace's own; none where not given.
struct TagValues {
    std::optional<QString> album, artist, title, comment;
    std::optional<qint32> year;

    OutputTag Over(const OutputTag& kept) const {
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
    JoinPreferences preferences;  // SaveID3Tag is --tag
    TagValues tag;
    QString exportChapters;  // where the chapters go; empty for nowhere
    bool forceName = false;  // the output written whatever its name's extension
    bool batch = false;      // each input a folder to join into a file of its own
    // What the inputs' folders held when walked before anything was written, as a batch walks
    // every book's; none to walk them when the join starts.
    std::optional<FolderInputs> walked;
    QStringList warnings;  // of what the options given do not do as given
};

// What the command line is answered with when it asks for no join: the help or the version, or
// why it cannot be carried out, each line printed to stdout on success and to stderr otherwise.
struct Answer {
    int exitCode;
    QStringList lines;
};

// Reads `arguments`, the program's name first, into the join they ask for or the answer.
std::variant<Answer, Request> ReadCommandLine(const QStringList& arguments);

// Why an argument cannot be used as its bytes stand; empty when all can. Qt reads bytes that are
// not UTF-8 as U+FFFD, which may spell another file's name: the bytes are judged here, while
// they are at hand.
QString UnusableArgument(int argc, char* argv[]);

}  // namespace tessaro::cli
