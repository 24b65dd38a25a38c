#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "mp3/StreamFormat.h"

namespace tessaro {

struct PlannedInput;

// The warnings on the formats of the inputs joined, each compared with the first input's: many
// players keep the first frame's format and play frames of another wrongly. Past the tenth input
// of one kind, the inputs are counted, not named: a join of 200 misfits says so in one line.
class FormatNotes {
public:
    // Takes `format`, that of an input's first frame as joined, the first taken being the first
    // input's: warns when it differs from the first one's, or says what the input's re-encoding
    // changed.
    void Compare(const PlannedInput& input, const mp3::StreamFormat& format, QStringList* warnings);
    // Warns that the frames of the input at `path`, as copied, change format as `change` says,
    // unless its first frames differ from the first input's, as it has been warned of already.
    void CompareChange(const QString& path, const std::optional<mp3::FormatChange>& change,
                       QStringList* warnings);
    // One line for each kind of warning past its tenth: how many more inputs were of it.
    void Summarise(QStringList* warnings) const;
    // The first input's, once taken.
    const mp3::StreamFormat& First() const { return firstFormat; }
    // The inputs warned of whose format re-encoding would have matched to the first one's.
    int ToConform() const { return toConform; }

private:
    enum Kind { kReencodedToMatch, kReencodedToKeep, kUnlike, kKinds };
    static constexpr int kNamed = 10;

    // Adds `warning`, of `kind`, unless ten of its kind have been added; counts it.
    void Add(Kind kind, const QString& warning, QStringList* warnings);
    // Counts a warning of a format unlike the first one's, naming the remedy where there is one.
    void Unlike(const QString& warning, QStringList* warnings);

    std::array<int, kKinds> counts{};
    int toConform = 0;
    bool taken = false;
    QString firstInput;
    mp3::StreamFormat firstFormat;
};

}  // namespace tessaro
