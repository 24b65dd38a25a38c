#include "chapters/ChapterForms.h"

#include <algorithm>
#include <cmath>

// What the forms' readers and writers share.

namespace tessaro::chapter_forms {

QString LineNumber(qsizetype index) {
    return QStringLiteral("line %1").arg(index + 1);
}

bool Fault(QString* error, const QString& where, const QString& fault) {
    *error = where + QStringLiteral(": ") + fault;
    return false;
}

quint64 MsOf(double seconds) {
    return quint64(std::llround(std::min(seconds * 1000, kFarMs)));
}

QString WithoutTrailingBackslash(const QString& text) {
    return text.endsWith(u'\\') ? text.chopped(1) + QChar(0x2216) : text;
}

QStringList LinesOf(const QString& text) {
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines[0].startsWith(QChar(0xFEFF))) {
        lines[0].remove(0, 1);
    }
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
    }
    return lines;
}

QString Trimmed(const QString& text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c.isSpace() || c == QChar(0xFEFF); };
    while (first < end && blank(text[first])) {
        ++first;
    }
    while (end > first && blank(text[end - 1])) {
        --end;
    }
    return text.mid(first, end - first);
}

bool StartsAsLabel(const QString& line) {
    static const QRegularExpression kLabelStart(QStringLiteral(R"(^\d+(?:[.,]\d*)?\t)"));
    return kLabelStart.match(line).hasMatch();
}

QString TimeText(quint64 ms) {
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

const QRegularExpression& Controls() {
    static const QRegularExpression kControls(QStringLiteral("[\\p{Cc}\\x{2028}\\x{2029}]+"));
    return kControls;
}

QString Shown(const QString& line) {
    return QLatin1Char('"') +
           line.left(80).replace(Controls(), QString(QChar::ReplacementCharacter)) +
           QLatin1Char('"');
}

}  // namespace tessaro::chapter_forms
