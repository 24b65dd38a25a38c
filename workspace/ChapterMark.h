#pragma once

#include <QString>
#include <QtGlobal>

namespace tessaro {

// A chapter as set by hand at one input of a join: whether a chapter starts there, over what the
// chapter options decide, and the title it carries in place of the one the input's tag or name
// gives.
struct ChapterMark {
    enum class Start : quint8 {
        Auto,          // as the options decide
        Here,          // a chapter starts at the input
        WithPrevious,  // the input belongs to the chapter before (the first input starts one
                       // anyway)
    };
    Start start = Start::Auto;
    QString title;  // empty for the input's own

    bool IsAuto() const { return start == Start::Auto && title.isEmpty(); }
    bool operator==(const ChapterMark& other) const = default;
};

}  // namespace tessaro
