#include "split/CutPoints.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "io/Files.h"
#include "tags/JoinRecords.h"

namespace tessaro {

namespace {

qint64 SampleAt(const SplitSource& source, double seconds) {
    return std::llround(seconds * source.sampleRate);
}

// The parts at the chapters given, each titled with its chapter and given the record of the
// joined input it starts at; a part from 0 to the first chapter, where that starts later, so that
// nothing of the audio is left out. Of chapters that start together, the first counts.
std::vector<SplitPart> PartsAtChapters(const SplitSource& source,
                                       std::vector<FileChapter> chapters) {
    std::stable_sort(chapters.begin(), chapters.end(), [](const auto& a, const auto& b) {
        return a.chapter.startMs < b.chapter.startMs;
    });
    std::vector<SplitPart> parts;
    for (const FileChapter& chapter : chapters) {
        const qint64 at = SampleAt(source, chapter.chapter.startMs / 1000.0);
        if (parts.empty() && at > 0) {
            parts.push_back({0, at, QString()});
        }
        if (!parts.empty() && at <= parts.back().start) {
            continue;
        }
        if (!parts.empty()) {
            parts.back().end = at;
        }
        parts.push_back({at, source.samples, chapter.chapter.title, chapter.record});
    }
    return parts;
}

}  // namespace

std::optional<double> ReadTime(const QString& text) {
    static const QRegularExpression kTime(
        QStringLiteral(R"(^(?:(?:(\d+):)?(\d{1,2}):)?(\d+(?:\.\d+)?)$)"));
    const QRegularExpressionMatch match = kTime.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const double seconds = match.captured(3).toDouble();
    const bool clock = match.hasCaptured(2);
    if (clock && seconds >= 60) {
        return std::nullopt;
    }
    return match.captured(1).toDouble() * 3600 + match.captured(2).toDouble() * 60 + seconds;
}

std::variant<QString, std::vector<SplitPart>> PartsAt(const CutPoints& cuts,
                                                      const SplitSource& source, MergeHost& host,
                                                      bool* usage) {
    QString error;
    std::vector<qint64> points;
    switch (cuts.by) {
        case CutPoints::By::Chapters: {
            std::vector<FileChapter> chapters = ReadFileChapters(source.path);
            if (chapters.empty()) {
                *usage = true;
                return QStringLiteral(
                           "%1 has no chapters to cut at: give --at, --every, "
                           "--at-silence or --chapter-file")
                    .arg(Quoted(source.path));
            }
            return PartsAtChapters(source, std::move(chapters));
        }
        case CutPoints::By::ChapterFile: {
            ChapterTimeline timeline;
            timeline.endMs = quint32(source.samples * 1000 / source.sampleRate);
            const std::optional<FileChapters> read =
                ReadChapterFile(cuts.chapterFile, std::nullopt, timeline, &error);
            if (!read) {
                return error;
            }
            std::vector<FileChapter> chapters;
            for (const Chapter& chapter : read->chapters) {
                chapters.push_back({chapter, std::nullopt});
            }
            return PartsAtChapters(source, std::move(chapters));
        }
        case CutPoints::By::Times:
            for (const double time : cuts.times) {
                points.push_back(SampleAt(source, time));
            }
            break;
        case CutPoints::By::Every:
            for (double time = cuts.every; SampleAt(source, time) < source.samples;
                 time += cuts.every) {
                points.push_back(SampleAt(source, time));
            }
            break;
        case CutPoints::By::Silence: {
            const std::optional<std::vector<qint64>> middles =
                SilenceMiddles(source.path, cuts.silence, host, &error);
            if (!middles) {
                return error;
            }
            points = *middles;
            break;
        }
    }
    return PartsBetween(source, points);
}

}  // namespace tessaro
