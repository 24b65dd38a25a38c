#include "merge/FormatNotes.h"

#include "io/Files.h"
#include "merge/JoinPlan.h"

namespace tessaro {
namespace {

// What keeps the joined file to one format, where re-encoding can: LAME writes Layer III alone.
QString Remedy(const mp3::StreamFormat& firstFormat) {
    return firstFormat.layer == mp3::FrameHeader::Layer3
               ? QStringLiteral(
                     ", unless inputs of another format are re-encoded to match the first "
                     "(tessaro-join --conform, or \"Re-encode inputs of another format to match "
                     "the first\" in the preferences)")
               : QString();
}

// Names the figures in which an input's format differs from the first one's; empty when they
// agree.
QString Mismatch(const QString& firstPath, const mp3::StreamFormat& firstFormat,
                 const QString& path, const mp3::StreamFormat& format) {
    if (format == firstFormat) {
        return {};
    }
    const QString separator = QStringLiteral(", ");
    return QStringLiteral(
               "%1 (%2) differs from the first input %3 (%4); many players play the joined "
               "file wrongly")
        .arg(Quoted(path), format.FiguresDifferingFrom(firstFormat).join(separator),
             Quoted(firstPath), firstFormat.FiguresDifferingFrom(format).join(separator));
}

// "changes format 12.3 s in (44100 Hz, 2 channels to 22050 Hz, 1 channel)"
QString ChangeOf(const mp3::FormatChange& change) {
    const QString separator = QStringLiteral(", ");
    return QStringLiteral("changes format %1 s in (%2 to %3)")
        .arg(change.seconds, 0, 'f', 1)
        .arg(change.from.FiguresDifferingFrom(change.to).join(separator),
             change.to.FiguresDifferingFrom(change.from).join(separator));
}

}  // namespace

void FormatNotes::Compare(const PlannedInput& input, const mp3::StreamFormat& format,
                          QStringList* warnings) {
    const QString separator = QStringLiteral(", ");
    const bool reencoded = input.reencode;
    if (!taken) {
        taken = true;
        firstInput = input.path;
        firstFormat = format;
    }
    if (reencoded && format != firstFormat) {
        Add(kReencodedToMatch,
            QStringLiteral("re-encoded %1 (%2 to %3) to match the first input")
                .arg(Quoted(input.path), format.FiguresDifferingFrom(firstFormat).join(separator),
                     firstFormat.FiguresDifferingFrom(format).join(separator)),
            warnings);
    } else if (reencoded && input.change) {
        Add(kReencodedToKeep,
            QStringLiteral("re-encoded %1, which %2, to keep one format throughout")
                .arg(Quoted(input.path), ChangeOf(*input.change)),
            warnings);
    } else if (const QString mismatch = Mismatch(firstInput, firstFormat, input.path, format);
               !mismatch.isEmpty()) {
        Unlike(mismatch, warnings);
    }
}

void FormatNotes::Add(Kind kind, const QString& warning, QStringList* warnings) {
    if (++counts[kind] <= kNamed) {
        *warnings << warning;
    }
}

void FormatNotes::Unlike(const QString& warning, QStringList* warnings) {
    const QString remedy = Remedy(firstFormat);
    toConform += !remedy.isEmpty();
    Add(kUnlike, warning + remedy, warnings);
}

void FormatNotes::Summarise(QStringList* warnings) const {
    const char* const what[kKinds] = {"re-encoded to match the first",
                                      "re-encoded to keep one format throughout",
                                      "of another format than the first, left as they are"};
    for (int kind = 0; kind < kKinds; ++kind) {
        if (const int more = counts[size_t(kind)] - kNamed; more > 0) {
            *warnings << QStringLiteral("\u2026and %1 more %2 %3")
                             .arg(more)
                             .arg(more == 1 ? QStringLiteral("input") : QStringLiteral("inputs"),
                                  QLatin1String(what[kind]));
        }
    }
}

void FormatNotes::CompareChange(const QString& path, const std::optional<mp3::FormatChange>& change,
                                QStringList* warnings) {
    if (change && change->from == firstFormat) {
        Unlike(QStringLiteral("%1 %2; many players play the joined file wrongly")
                   .arg(Quoted(path), ChangeOf(*change)),
               warnings);
    }
}

}  // namespace tessaro
