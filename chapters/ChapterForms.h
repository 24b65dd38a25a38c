#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "chapters/Chapters.h"

// The reader and the writer of each form chapters are exchanged in (see chapters/Chapters.h). The
// readers take what the form says; chapters/Chapters.cpp checks the chapters they find.

namespace tessaro::chapter_forms {

// A chapter as a file gives it, before it is checked.
struct Entry {
    QString where;  // "line 4", "entry 3 of "chapters""
    quint64 ms = 0;
    QString title;  // as given, white space and all; empty for none
    bool listed = true;
    // Of a CUE sheet: the FILE line its time counts from, by its place among the sheet's FILE
    // lines; -1 for one before any.
    qsizetype file = -1;
    std::optional<quint64> endMs{};  // where the file ends it, if it says
    ChapterLinks links{};            // as given
};
using Entries = std::vector<Entry>;

// A FILE line of a CUE sheet: where it stands and the name of the file it gives, as given.
struct CueFile {
    QString where;  // "line 5"
    QString name;
};

// Each: what `text` gives, or none with *error for text that is not in its form.
std::optional<Entries> ReadLines(const QString& text, QString* error);
// A CUE sheet's INDEX 01 times are read as they stand, from the start of the FILE above them;
// its FILE lines go to *files.
std::optional<Entries> ReadCue(const QString& text, std::vector<CueFile>* files, QString* error);
std::optional<Entries> ReadFfMetadata(const QString& text, QString* error);
std::optional<Entries> ReadJson(const QString& text, QString* error);
std::optional<Entries> ReadLabels(const QString& text, QString* error);

// Each: `chapters`, whose titles hold none of Controls() nor white space around them, and as
// many as the form holds (TooManyChapters), in its form; what its readers would misread in a
// title is written as ChapterForms.cpp says.
QString WriteLines(const std::vector<Chapter>& chapters);
std::optional<QString> WriteCue(const std::vector<Chapter>& chapters, const ChapterSheet& sheet,
                                QString* error);
QString WriteFfMetadata(const std::vector<Chapter>& chapters);
QString WriteJson(const std::vector<Chapter>& chapters);
QString WriteLabels(const std::vector<Chapter>& chapters);

// The lines of `text`, without a byte order mark in front or a carriage return behind each.
QStringList LinesOf(const QString& text);
// `text` without the white space around it, nor a byte order mark (U+FEFF) at either end, which
// JSON's decoding drops where it begins a text: a title so reads back the same from every form.
QString Trimmed(const QString& text);
// Whether `line` starts as an Audacity label: seconds, then a tab.
bool StartsAsLabel(const QString& line);
// The words a CUE sheet's lines start with.
bool IsCueCommand(const QString& word);
// "HH:MM:SS.mmm"
QString TimeText(quint64 ms);
// Control characters (C0, DEL and C1) and the line and paragraph separators (U+2028, U+2029). A
// tag would carry them into every player's display, a NUL ends an ID3v2 text there, and readers
// that split lines at any line break would see a chapter end at a separator.
const QRegularExpression& Controls();
// `line` quoted for a message, shortened, what Controls() matches shown as U+FFFD.
QString Shown(const QString& line);

}  // namespace tessaro::chapter_forms
