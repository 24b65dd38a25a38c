#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "merge/JoinedTag.h"

namespace tessaro {

// Chapters as audiobook tools exchange them: a line for each, "HH:MM:SS.mmm Title", its start on
// the timeline players show. Blank lines are passed over; the fraction of a second may be left
// out or have fewer digits.

// The chapters of the file at `path`, each ending where the next starts and the last at
// `endMs`, the end of the joined audio. None, with the reason in *error ("line 4: …" for a line
// at fault), for a file that cannot be read, is not UTF-8 text, holds no chapter, a line that is
// no chapter, a title that is missing or holds a control character (a tab or NUL included), or a
// start that does not come after the one before or is not before `endMs`.
[[nodiscard]] std::optional<std::vector<Chapter>> ReadChapterFile(const QString& path,
                                                                  quint32 endMs, QString* error);
[[nodiscard]] std::optional<std::vector<Chapter>> ParseChapters(const QString& text, quint32 endMs,
                                                                QString* error);

// The chapters in that form, UTF-8; control characters in a title become a space.
QByteArray FormatChapters(const std::vector<Chapter>& chapters);

// The title that inputs forming one chapter share: `title` without a trailing part or track
// number ("Chapter 3 (1/2)", "Chapter 3 - Part 2" give "Chapter 3"). A number alone is kept, as
// it is the chapter's own ("Chapter 3").
QString RunTitle(const QString& title);

// The title the name of the file at `path` gives: its name without the extension, and without a
// leading track or disc-track number and the separator behind it ("01 - Intro", "02. Morning",
// "1-03 Night" give "Intro", "Morning", "Night"). A number that the name begins with but that is
// part of its words is kept: one digit before a space ("7 Seconds"), a word after it ("Track 07"),
// a name that is a number alone ("1984").
QString FileTitle(const QString& path);

}  // namespace tessaro
