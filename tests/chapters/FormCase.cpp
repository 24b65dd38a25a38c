#include "FormCase.h"

namespace form_case {

Chapters Seen(const std::vector<tessaro::Chapter>& chapters) {
    Chapters seen;
    for (const tessaro::Chapter& chapter : chapters) {
        seen.emplace_back(chapter.title.toStdString(), chapter.startMs, chapter.endMs,
                          chapter.listed);
    }
    return seen;
}

const std::vector<tessaro::Chapter>& TwoChapters() {
    static const std::vector<tessaro::Chapter> chapters{
        {QStringLiteral("Intro"), 0, 1500},
        {QStringLiteral("Teil \"2\"; a=b #3 \\ Ende"), 1500, 2000, false}};
    return chapters;
}

const tessaro::ChapterSheet& Sheet() {
    static const tessaro::ChapterSheet sheet{QStringLiteral("book.mp3"), QStringLiteral("Das Buch"),
                                             QStringLiteral("Ada Lövelace")};
    return sheet;
}

void ExpectForm(const FormCase& form) {
    const char* word = tessaro::InfoOf(form.form).word;
    EXPECT_EQ(tessaro::ChapterFormNamed(QLatin1String(word)), form.form);
    EXPECT_EQ(tessaro::ChapterFormOfName(QLatin1String(form.name)), form.form);
    QString error;
    const QString theirs = QString::fromUtf8(form.theirs);
    EXPECT_EQ(tessaro::GuessChapterForm(theirs, QStringLiteral("c.txt")), form.form);
    const auto read = tessaro::ParseChapters(theirs, form.form, kEndMs, &error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(Seen(*read), form.read);

    const std::optional<QByteArray> ours =
        tessaro::FormatChapters(TwoChapters(), form.form, Sheet(), &error);
    ASSERT_TRUE(ours) << error.toStdString();
    EXPECT_EQ(*ours, form.ours);
    EXPECT_EQ(tessaro::GuessChapterForm(QString::fromUtf8(*ours), QStringLiteral("c.txt")),
              form.form);

    for (const auto& [text, why] : form.refused) {
        EXPECT_FALSE(tessaro::ParseChapters(QString::fromUtf8(text), form.form, kEndMs, &error));
        EXPECT_TRUE(error.contains(why)) << error.toStdString() << "\n" << text.constData();
    }
    EXPECT_FALSE(tessaro::ParseChapters(QString::fromUtf8(form.none), form.form, kEndMs, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("holds no chapter"))) << error.toStdString();
    // A file that tells nothing by its contents is taken by its extension.
    EXPECT_EQ(tessaro::GuessChapterForm(QStringLiteral("\n"), QLatin1String(form.name)), form.form);
}

}  // namespace form_case
