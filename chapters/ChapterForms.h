#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "chapters/Chapters.h"

// The forms chapters are exchanged in (see chapters/Chapters.h), each in a file of its own that
// says how it is told, read and written. The readers take what the form says; chapters/Chapters.cpp
// checks the chapters they find.

namespace tessaro::chapter_forms {

// Far past any audio's end, yet nowhere near overflowing what holds it.
constexpr double kFarMs = 1e15;

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

// One form: what names it, and how it is told, read and written.
struct ChapterFormat {
    ChapterFormInfo info;
    // Whether `line`, the first of a text that is not blank (as it stands, but for a byte order
    // mark), says the text is in this form. No two forms' sniffs take one line, so the order
    // they are tried in tells nothing.
    bool (*sniff)(const QString& line);
    // What `text` gives, its FILE lines (a CUE sheet's) to *files; none, with *error, for text
    // that is not in the form.
    std::optional<Entries> (*read)(const QString& text, std::vector<CueFile>* files,
                                   QString* error);
    // `chapters`, whose titles hold none of Controls() nor white space around them, and as many
    // as the form holds, in the form, with `sheet` where it holds one; what its reader would
    // misread in a title is written as the form's file says. None, with *error, for chapters it
    // cannot tell apart.
    std::optional<QString> (*write)(const std::vector<Chapter>& chapters, const ChapterSheet& sheet,
                                    QString* error);
    // Why the form cannot hold `count` chapters, empty where it can; null for a form that holds
    // any number.
    QString (*tooMany)(size_t count) = nullptr;
};

// Each form's, in its own file.
const ChapterFormat& LinesFormat();
const ChapterFormat& CueFormat();
const ChapterFormat& FfMetadataFormat();
const ChapterFormat& JsonFormat();
const ChapterFormat& LabelsFormat();

// Every form, as ChapterForms() lists them.
const std::vector<const ChapterFormat*>& Formats();
const ChapterFormat& FormatOf(ChapterForm form);

// A CUE sheet's INDEX 01 times are read as they stand, from the start of the FILE above them;
// its FILE lines go to *files.
std::optional<Entries> ReadCue(const QString& text, std::vector<CueFile>* files, QString* error);

// The lines of `text`, without a byte order mark in front or a carriage return behind each.
QStringList LinesOf(const QString& text);
// `text` without the white space around it, nor a byte order mark (U+FEFF) at either end, which
// JSON's decoding drops where it begins a text: a title so reads back the same from every form.
QString Trimmed(const QString& text);
// Whether `line` starts as an Audacity label: seconds, then a tab.
bool StartsAsLabel(const QString& line);
// "HH:MM:SS.mmm"
QString TimeText(quint64 ms);
// Control characters (C0, DEL and C1) and the line and paragraph separators (U+2028, U+2029). A
// tag would carry them into every player's display, a NUL ends an ID3v2 text there, and readers
// that split lines at any line break would see a chapter end at a separator.
const QRegularExpression& Controls();
// `line` quoted for a message, shortened, what Controls() matches shown as U+FFFD.
QString Shown(const QString& line);

// "line 5" for the line at `index`, from 0.
QString LineNumber(qsizetype index);
// Sets *error to `fault` at `where`; false.
bool Fault(QString* error, const QString& where, const QString& fault);
// Milliseconds in `seconds`, a number a file gives, to the nearest.
quint64 MsOf(double seconds);
// `text` with a backslash that ends it written as U+2216 SET MINUS, which looks alike: a reader
// that takes it as an escape would run on past the text's end.
QString WithoutTrailingBackslash(const QString& text);

}  // namespace tessaro::chapter_forms
