#include "cli/Console.h"

#include <QByteArray>

namespace tessaro::cli {

namespace {

QString& ProgramName() {
    static QString name = QStringLiteral("tessaro-join");
    return name;
}

}  // namespace

void SetProgramName(const QString& name) {
    ProgramName() = name;
}

void Print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fputc('\n', stream);
}

void Warn(const QString& text) {
    Print(stderr, ProgramName() + QStringLiteral(": warning: ") + text);
}

int Fail(const QString& text) {
    Print(stderr, ProgramName() + QStringLiteral(": error: ") + text);
    return Failure;
}

QString Misused(const QString& text) {
    return ProgramName() + QStringLiteral(": ") + text;
}

int Misuse(const QString& text) {
    Print(stderr, Misused(text));
    return WrongUsage;
}

ConsoleHost::~ConsoleHost() {
    if (drawn) {
        std::fputc('\n', stderr);
    }
}

void ConsoleHost::MergeProgress(qint32 position, qint32 rangeMax) {
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

}  // namespace tessaro::cli
