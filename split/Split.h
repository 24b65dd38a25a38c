#pragma once

// Splitting one MP3 file into parts without re-encoding, each part decoding to exactly the
// samples between its cut points.
// Errors: none thrown; RunSplit says what failed in its SplitResult, in words a user reads.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "merge/MergeJob.h"
#include "tags/JoinRecords.h"

namespace tessaro {

// One part to be written: the samples [start, end) of the source's decoded timeline (sample 0
// is the first one players play, the encoder's delay behind it), and its title (empty for none).
struct SplitPart {
    qint64 start = 0;
    qint64 end = 0;
    QString title;
    // Where the part is an input of a join that recorded it: its frames, delay and padding, so
    // that it is given back as it was. Taken only where the records of the parts side by side
    // meet, frame for frame.
    std::optional<JoinRecord> input = std::nullopt;
};

struct SourceStream;

// What a split reads of its source before cutting it.
struct SplitSource {
    QString path;
    int sampleRate = 0;
    qint64 samples = 0;  // decoded, the encoder's delay and padding left out
    // Its frames as read, with the file open they were read from: a split given them does not
    // read them again, and fails if the file changes after all.
    std::shared_ptr<const SourceStream> frames;
};

// Reads the source's frames; none, with the reason in *error, for a file that cannot be read or
// holds no MPEG audio frame.
[[nodiscard]] std::optional<SplitSource> ReadSplitSource(const QString& path, QString* error);

// The parts between consecutive cut points (samples, in order), the first from 0 and the last to
// the end, titled in order from `titles` where it has one.
std::vector<SplitPart> PartsBetween(const SplitSource& source, const std::vector<qint64>& cuts,
                                    const QStringList& titles = {});

struct SplitRequest {
    QString source;
    std::vector<SplitPart> parts;  // in order, each ending where the next starts
    QString folder;
    // {n} (zero-padded to the count's width), {title}, {album}; "{n}.mp3" stands for a part
    // without a title where the pattern is the default.
    QString namePattern = QStringLiteral("{n} {title}.mp3");
    bool id3v23 = false;
    bool force = false;  // whether existing files may be replaced
    // The source's frames as ReadSplitSource read them; null to read them anew.
    std::shared_ptr<const SourceStream> read = nullptr;
};

struct SplitResult {
    QStringList written;  // the parts' paths, in order
    QStringList warnings;
    QString error;            // empty when every part was written
    bool wrongUsage = false;  // the request could not be carried out as given
    bool cancelled = false;
    bool Succeeded() const { return error.isEmpty(); }
};

// The name each part gets: the pattern filled in, characters that cannot stand in a file name
// replaced.
QStringList PartNames(const SplitRequest& request, const QString& album);

// Writes every part, each an atomic write beside its name; refuses, before writing anything, a
// source that is not MPEG audio, parts outside its audio or not in order, a folder missing or
// not writable, and names taken (unless forced). A read error or a change of the source fails the
// run, naming the part, with no part half written. `host` takes progress and may cancel.
[[nodiscard]] SplitResult RunSplit(const SplitRequest& request, MergeHost& host);

}  // namespace tessaro
