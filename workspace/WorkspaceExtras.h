#pragma once

#include <QString>
#include <QStringList>
#include <algorithm>
#include <vector>

#include "workspace/ChapterMark.h"
#include "workspace/OutputTag.h"

namespace tessaro {

// What a workspace keeps beyond what the plain format holds.
struct WorkspaceExtras {
    MoreTagFields moreTag;  // genre, album artist, composer
    QString cover;          // picture file for the front cover; empty for none
    QString chapterFile;    // the chapter file chosen; empty for none
    // By path record; those past its end are Auto. Marks past the last path record are not
    // kept in the file.
    std::vector<ChapterMark> chapterMarks;
    // In place of the chapter file's chapters' titles, by order; "" keeps one.
    QStringList chapterTitles;

    // Nothing to keep: a workspace with these extras is saved in the plain format alone.
    bool IsEmpty() const {
        return moreTag.IsEmpty() && cover.isEmpty() && chapterFile.isEmpty() &&
               std::all_of(chapterMarks.begin(), chapterMarks.end(),
                           [](const ChapterMark& mark) { return mark.IsAuto(); }) &&
               chapterTitles.isEmpty();
    }
    bool operator==(const WorkspaceExtras& other) const = default;
};

}  // namespace tessaro
