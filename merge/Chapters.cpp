#include "merge/Chapters.h"

#include <unistd.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include "io/Files.h"

namespace tessaro {
namespace {

// Far above any book's chapter list.
constexpr qint64 kMaxChapterFileBytes = 4 << 20;

QString TimeText(quint64 ms) {
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

// Control characters: C0, DEL and C1. A tag would carry them into every player's display, and a
// NUL ends an ID3v2 text there.
const QRegularExpression& Controls() {
    static const QRegularExpression kControls(QStringLiteral("\\p{Cc}+"));
    return kControls;
}

// Why `title`, of a line at `ms`, cannot be a chapter's; empty when it can.
QString TitleFault(const QString& title, quint64 ms) {
    if (title.isEmpty()) {
        return QStringLiteral("%1 has no title").arg(TimeText(ms));
    }
    if (const qsizetype at = title.indexOf(Controls()); at >= 0) {
        return QStringLiteral("the title holds a control character (U+%1) at character %2")
            .arg(QString::number(title[at].unicode(), 16).toUpper().rightJustified(4, u'0'))
            .arg(at + 1);
    }
    return QString();
}

}  // namespace

std::optional<std::vector<Chapter>> ReadChapterFile(const QString& path, quint32 endMs,
                                                    QString* error) {
    qint64 size = 0;
    const int fd = OpenRegularFile(path, error, &size);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<QByteArray> bytes;
    if (size > kMaxChapterFileBytes) {
        *error = QStringLiteral("it is %1 bytes long, more than a chapter list takes").arg(size);
    } else {
        bytes = ReadBytesAt(fd, size, 0, error);
    }
    ::close(fd);
    if (!bytes) {
        return std::nullopt;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(*bytes);
    if (decoder.hasError()) {
        *error = QStringLiteral("it is not UTF-8 text");
        return std::nullopt;
    }
    return ParseChapters(text, endMs, error);
}

std::optional<std::vector<Chapter>> ParseChapters(const QString& text, quint32 endMs,
                                                  QString* error) {
    static const QRegularExpression kLine(
        QStringLiteral(R"(^(\d{1,6}):([0-5]\d):([0-5]\d)(?:[.,](\d{1,3}))?(?:\s+(.*))?$)"));
    std::vector<Chapter> chapters;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i].trimmed();
        if (i == 0 && line.startsWith(QChar(0xFEFF))) {
            line = line.mid(1).trimmed();
        }
        if (line.isEmpty()) {
            continue;
        }
        const QString where = QStringLiteral("line %1: ").arg(i + 1);
        const QRegularExpressionMatch match = kLine.match(line);
        if (!match.hasMatch()) {
            *error = where + QStringLiteral("\"%1\" is not a chapter (\"HH:MM:SS.mmm Title\")")
                                 .arg(line.left(80).replace(Controls(),
                                                            QString(QChar::ReplacementCharacter)));
            return std::nullopt;
        }
        const quint64 ms = match.captured(1).toULongLong() * 3600000 +
                           match.captured(2).toULongLong() * 60000 +
                           match.captured(3).toULongLong() * 1000 +
                           match.captured(4).leftJustified(3, QLatin1Char('0')).toULongLong();
        if (const QString fault = TitleFault(match.captured(5), ms); !fault.isEmpty()) {
            *error = where + fault;
            return std::nullopt;
        }
        if (!chapters.empty() && ms <= chapters.back().startMs) {
            *error = where + QStringLiteral("%1 does not come after the chapter before (%2)")
                                 .arg(TimeText(ms), TimeText(chapters.back().startMs));
            return std::nullopt;
        }
        if (ms >= endMs) {
            *error = where + QStringLiteral("%1 is not before the end of the joined audio (%2)")
                                 .arg(TimeText(ms), TimeText(endMs));
            return std::nullopt;
        }
        if (!chapters.empty()) {
            chapters.back().endMs = quint32(ms);
        }
        chapters.push_back({match.captured(5), quint32(ms), endMs});
    }
    if (chapters.empty()) {
        *error = QStringLiteral("it holds no chapter (\"HH:MM:SS.mmm Title\" a line)");
        return std::nullopt;
    }
    return chapters;
}

QByteArray FormatChapters(const std::vector<Chapter>& chapters) {
    QString text;
    for (const Chapter& chapter : chapters) {
        // A title is a line of its own, which reads back only without control characters.
        QString title = chapter.title;
        title.replace(Controls(), QStringLiteral(" "));
        text += TimeText(chapter.startMs) + QLatin1Char(' ') + title + QLatin1Char('\n');
    }
    return text.toUtf8();
}

QString RunTitle(const QString& title) {
    // A number in brackets, with "part" or the like before it or a count behind it, or one
    // after "part" or the like; at the end.
    static const QRegularExpression kPart(
        QStringLiteral(
            R"((?:[\(\[]\s*(?:(?:part|pt\.?|track|disc|cd)\s*)?\d+(?:\s*(?:/|of)\s*\d+)?)"
            R"(\s*[\)\]])"
            R"(|(?<![[:alpha:]])(?:part|pt\.?|track|disc|cd)\s*\d+(?:\s*(?:/|of)\s*\d+)?))"
            R"(\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression kSeparators(QStringLiteral(R"([\s\-–—,:;_]+$)"));
    QString run = title;
    run.remove(kPart);
    run.remove(kSeparators);
    return run.isEmpty() ? title.trimmed() : run;
}

QString FileTitle(const QString& path) {
    // A disc-track or a track number before punctuation, or a track number of two or three
    // digits, as rippers pad them, before a space; words must follow.
    static const QRegularExpression kNumber(
        QStringLiteral(R"(^(?:[0-9]{1,2}[-.][0-9]{1,3}(?:\s*[-._)]+\s*|\s+))"
                       R"(|[0-9]{1,3}\s*[-._)]+\s*|[0-9]{2,3}\s+)(?=[^-._)\s]))"));
    QString title = QFileInfo(path).completeBaseName();
    title.remove(kNumber);
    return title;
}

}  // namespace tessaro
