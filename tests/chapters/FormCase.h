#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "chapters/Chapters.h"

// What every form's test asks of its form, and the chapters they all write.
namespace form_case {

// The joined audio every case reads against: ten hours.
constexpr quint32 kEndMs = 36000000;

// Title, start, end, listed.
using Chapters = std::vector<std::tuple<std::string, quint32, quint32, bool>>;
Chapters Seen(const std::vector<tessaro::Chapter>& chapters);

// Two chapters, the second unlisted, its title holding what some form escapes; and a sheet.
const std::vector<tessaro::Chapter>& TwoChapters();
const tessaro::ChapterSheet& Sheet();

struct FormCase {
    tessaro::ChapterForm form;
    const char* name;                                     // a file's that is told by its extension
    QByteArray theirs;                                    // as other tools write it
    Chapters read;                                        // from it
    QByteArray ours;                                      // TwoChapters() written
    QByteArray none;                                      // in the form, without a chapter
    std::vector<std::pair<QByteArray, QString>> refused;  // and a part of why
};

// The form is named by its word, told by its extension and by what other tools and this one
// write in it, reads theirs as `read`, writes TwoChapters() as `ours`, and refuses each of
// `refused` and `none`, saying why.
void ExpectForm(const FormCase& form);

// Expects `chapters` written in each form `expected` names, with `sheet`, to read back for a join
// of ten hours as what it names there, each chapter as `seen` gives it.
template <typename Seen, typename Project>
void ExpectReadBack(const std::vector<tessaro::Chapter>& chapters,
                    const tessaro::ChapterSheet& sheet,
                    const std::vector<std::pair<tessaro::ChapterForm, std::vector<Seen>>>& expected,
                    Project seen) {
    for (const auto& [form, wanted] : expected) {
        SCOPED_TRACE(tessaro::InfoOf(form).word);
        QString error;
        const std::optional<QByteArray> text =
            tessaro::FormatChapters(chapters, form, sheet, &error);
        const auto again =
            text ? tessaro::ParseChapters(QString::fromUtf8(*text), form, kEndMs, &error)
                 : std::nullopt;
        ASSERT_TRUE(again) << error.toStdString() << "\n" << text.value_or("").constData();
        std::vector<Seen> read;
        for (const tessaro::Chapter& chapter : *again) {
            read.push_back(seen(chapter));
        }
        EXPECT_EQ(read, wanted) << text->constData();
    }
}

}  // namespace form_case
