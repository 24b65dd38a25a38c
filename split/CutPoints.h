#pragma once

#include <QString>
#include <optional>
#include <variant>
#include <vector>

#include "merge/Silence.h"
#include "split/Split.h"

namespace tessaro {

// Where the parts of a split are cut.
struct CutPoints {
    enum class By { Chapters, ChapterFile, Times, Every, Silence };
    By by = By::Chapters;
    QString chapterFile;        // By::ChapterFile
    std::vector<double> times;  // By::Times: seconds, increasing
    double every = 0;           // By::Every: seconds a part
    SilenceRule silence;        // By::Silence
};

// "HH:MM:SS.mmm", "MM:SS" or seconds, as seconds; none for anything else.
std::optional<double> ReadTime(const QString& text);

// The parts the cut points make of the source, titled with its chapters where they are cut at
// chapters; or why there are none, with *usage telling whether that lies in how they were asked
// for. Finding silences decodes the source, polling `host` to cancel.
std::variant<QString, std::vector<SplitPart>> PartsAt(const CutPoints& cuts,
                                                      const SplitSource& source, MergeHost& host,
                                                      bool* usage);

}  // namespace tessaro
