#include "chapters/ChapterForms.h"

#include <QCoreApplication>
#include <QSet>

namespace tessaro::chapter_forms {
namespace {

// Its frames are 1/75 s: 40/3 ms. A start is read at the millisecond nearest its frame, and
// written at the frame nearest it, so that what is read writes back the same and a start moves
// by at most 7 ms.
quint64 CueFrameMs(quint64 frames) {
    return (frames * 40 + 1) / 3;
}
// The frame nearest the start of `chapter`, or the one before where that is not before its end.
quint64 CueFrames(const Chapter& chapter) {
    const quint64 nearest = (quint64(chapter.startMs) * 3 + 20) / 40;
    return CueFrameMs(nearest) < chapter.endMs ? nearest : quint64(chapter.startMs) * 3 / 40;
}

// A CUE sheet has no way to quote a quotation mark, and cuetools takes a backslash before the
// closing one as an escape, running the text on into the next lines.
QString CueText(const QString& text) {
    return WithoutTrailingBackslash(QString(text).replace(QLatin1Char('"'), QLatin1Char('\'')));
}

// A TITLE's value: between its quotation marks, the first and the last (which readers of
// sheets written by hand meet), or as it stands without them.
QString Unquoted(const QString& value) {
    if (!value.startsWith(QLatin1Char('"'))) {
        return value;
    }
    const qsizetype last = value.lastIndexOf(QLatin1Char('"'));
    return last > 0 ? value.mid(1, last - 1) : value.mid(1);
}

// A TRACK of a sheet being read: its line, title and where its INDEX 01 puts it.
struct CueTrack {
    qsizetype line;
    QString title;
    std::optional<Entry> start;
};

bool CloseTrack(std::optional<CueTrack>& track, Entries& entries, QString* error) {
    if (!track) {
        return true;
    }
    if (!track->start) {
        return Fault(error, LineNumber(track->line), QStringLiteral("the TRACK has no INDEX 01"));
    }
    track->start->title = track->title;
    entries.push_back(*track->start);
    track.reset();
    return true;
}

// The white space between a CUE sheet's words.
const QRegularExpression& Space() {
    static const QRegularExpression kSpace(QStringLiteral("\\s"));
    return kSpace;
}

// The file a FILE line's `value` names: between its quotation marks, or before the type behind
// it.
QString FileNamed(const QString& value) {
    if (value.startsWith(QLatin1Char('"'))) {
        return Unquoted(value);
    }
    const qsizetype type = value.lastIndexOf(Space());
    return type < 0 ? value : value.left(type).trimmed();
}

// Takes an INDEX line's `value` for the track, its time counted from the start of the FILE line
// `file` (-1 for none); false, with *error, for one that is not.
bool TakeIndex(const QString& value, qsizetype line, qsizetype file, std::optional<CueTrack>& track,
               QString* error) {
    static const QRegularExpression kIndex(
        QStringLiteral(R"(^(\d{1,2})\s+(\d{1,5}):([0-5]\d):([0-6]\d|7[0-4])$)"));
    const QRegularExpressionMatch match = kIndex.match(value);
    if (!match.hasMatch()) {
        return Fault(error, LineNumber(line),
                     QStringLiteral("%1 is not an index (\"INDEX 01 mm:ss:ff\")")
                         .arg(Shown(QStringLiteral("INDEX ") + value)));
    }
    if (!track) {
        return Fault(error, LineNumber(line), QStringLiteral("an INDEX stands before any TRACK"));
    }
    if (match.captured(1).toInt() == 1) {
        const quint64 frames =
            (match.captured(2).toULongLong() * 60 + match.captured(3).toULongLong()) * 75 +
            match.captured(4).toULongLong();
        track->start = Entry{LineNumber(line), CueFrameMs(frames), QString(), true, file};
    }
    return true;
}

// The words a CUE sheet's lines start with.
bool IsCueCommand(const QString& word) {
    static const QSet<QString> kCommands{
        QStringLiteral("REM"),    QStringLiteral("FILE"),      QStringLiteral("TRACK"),
        QStringLiteral("TITLE"),  QStringLiteral("PERFORMER"), QStringLiteral("SONGWRITER"),
        QStringLiteral("INDEX"),  QStringLiteral("CATALOG"),   QStringLiteral("CDTEXTFILE"),
        QStringLiteral("FLAGS"),  QStringLiteral("ISRC"),      QStringLiteral("PREGAP"),
        QStringLiteral("POSTGAP")};
    return kCommands.contains(word.toUpper());
}

// A sheet starts with one of its commands.
bool StartsAsCue(const QString& line) {
    static const QRegularExpression kWord(QStringLiteral(R"(^[A-Za-z]+\b)"));
    return IsCueCommand(kWord.match(line.trimmed()).captured());
}

std::optional<QString> WriteCue(const std::vector<Chapter>& chapters, const ChapterSheet& sheet,
                                QString* error) {
    const auto quoted = [](const char* command, const QString& value, const char* indent) {
        return value.isEmpty()
                   ? QString()
                   : QStringLiteral("%1%2 \"%3\"\n")
                         .arg(QLatin1String(indent), QLatin1String(command), CueText(value));
    };
    QString text = quoted("PERFORMER", sheet.performer, "") + quoted("TITLE", sheet.title, "") +
                   QStringLiteral("FILE \"%1\" MP3\n").arg(CueText(sheet.audioFile));
    for (size_t i = 0; i < chapters.size(); ++i) {
        const quint64 frames = CueFrames(chapters[i]);
        if (i > 0 && frames <= CueFrames(chapters[i - 1])) {
            *error = QStringLiteral(
                         "chapters %1 and %2 start within one 1/75 s, which a CUE "
                         "sheet cannot tell apart")
                         .arg(i)
                         .arg(i + 1);
            return std::nullopt;
        }
        text += QStringLiteral("  TRACK %1 AUDIO\n").arg(i + 1, 2, 10, QLatin1Char('0')) +
                quoted("TITLE", chapters[i].title, "    ") +
                quoted("PERFORMER", sheet.performer, "    ") +
                QStringLiteral("    INDEX 01 %1:%2:%3\n")
                    .arg(frames / 4500, 2, 10, QLatin1Char('0'))
                    .arg(frames / 75 % 60, 2, 10, QLatin1Char('0'))
                    .arg(frames % 75, 2, 10, QLatin1Char('0'));
    }
    return text;
}

QString TooManyTracks(size_t count) {
    // CD players and libcue stop at 99.
    constexpr size_t kMaxTracks = 99;
    return count > kMaxTracks
               ? QStringLiteral("a CUE sheet holds at most %1 tracks, not %2 chapters")
                     .arg(kMaxTracks)
                     .arg(count)
               : QString();
}

}  // namespace

std::optional<Entries> ReadCue(const QString& text, std::vector<CueFile>* files, QString* error) {
    Entries entries;
    std::optional<CueTrack> track;
    const QStringList lines = LinesOf(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        const qsizetype space = line.indexOf(Space());
        const QString command = line.left(space).toUpper();
        const QString value = space < 0 ? QString() : line.mid(space).trimmed();
        bool taken = true;
        if (line.isEmpty()) {
            continue;
        } else if (command == QLatin1String("TRACK")) {
            taken = CloseTrack(track, entries, error);
            track = CueTrack{i, QString(), std::nullopt};
        } else if (command == QLatin1String("TITLE")) {
            if (track) {  // the sheet's own is the book's
                track->title = Unquoted(value);
            }
        } else if (command == QLatin1String("FILE")) {
            files->push_back({LineNumber(i), FileNamed(value)});
        } else if (command == QLatin1String("INDEX")) {
            taken = TakeIndex(value, i, qsizetype(files->size()) - 1, track, error);
        } else if (!IsCueCommand(command)) {
            taken = Fault(error, LineNumber(i),
                          QStringLiteral("%1 is not a line of a CUE sheet").arg(Shown(line)));
        }
        if (!taken) {
            return std::nullopt;
        }
    }
    if (!CloseTrack(track, entries, error)) {
        return std::nullopt;
    }
    return entries;
}

const ChapterFormat& CueFormat() {
    static const ChapterFormat format{{ChapterForm::Cue,
                                       "cue",
                                       QT_TRANSLATE_NOOP("tessaro::MainWindow", "CUE sheet"),
                                       {QStringLiteral("cue")},
                                       QT_TRANSLATE_NOOP("TessaroJoin", "a CUE sheet"),
                                       QT_TRANSLATE_NOOP("TessaroJoin", "(a CUE sheet)")},
                                      StartsAsCue,
                                      ReadCue,
                                      WriteCue,
                                      TooManyTracks};
    return format;
}

}  // namespace tessaro::chapter_forms
