#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "mp3/StreamFormat.h"

namespace tessaro {

struct PlannedInput;

// The warnings on the formats of the inputs joined, each compared with the first input's: many
// players keep the first frame's format and play frames of another wrongly.
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
    // The first input's, once taken.
    const mp3::StreamFormat& First() const { return firstFormat; }
    // The inputs warned of whose format re-encoding would have matched to the first one's.
    int ToConform() const { return toConform; }

private:
    // Counts a warning of a format unlike the first one's, naming the remedy where there is one.
    QString Unlike(QString warning);

    int toConform = 0;
    bool taken = false;
    QString firstInput;
    mp3::StreamFormat firstFormat;
};

}  // namespace tessaro
