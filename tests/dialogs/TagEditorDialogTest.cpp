#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <cwchar>
#include <limits>
#include <optional>

#include "ChildWithText.h"
#include "TestFiles.h"
#include "dialogs/CoverWell.h"
#include "dialogs/TagEditorDialog.h"

using namespace tessaro;

Q_DECLARE_METATYPE(std::optional<qint32>)

namespace {

constexpr qint32 kMax = std::numeric_limits<qint32>::max();
constexpr qint32 kMin = std::numeric_limits<qint32>::min();

// The labels of the five fields the workspace file's plain format keeps, in the tag's order.
const QStringList kLabels{QStringLiteral("&Album:"), QStringLiteral("A&rtist:"),
                          QStringLiteral("&Title:"), QStringLiteral("&Year:"),
                          QStringLiteral("&Comment:")};
// Every field's label, top to bottom.
const QStringList kAllLabels{QStringLiteral("&Album:"),
                             QStringLiteral("A&rtist:"),
                             QStringLiteral("Album arti&st:"),
                             QStringLiteral("&Title:"),
                             QStringLiteral("Com&poser/Narrator:"),
                             QStringLiteral("&Genre:"),
                             QStringLiteral("&Year:"),
                             QStringLiteral("&Comment:")};

// The field a label stands for.
template <class W = QLineEdit>
W* Field(const QDialog& dialog, const QString& label) {
    QLabel* candidate = ChildWithText<QLabel>(dialog, label);
    return candidate ? qobject_cast<W*>(candidate->buddy()) : nullptr;
}

// Drags `urls` onto `target` and drops them there; whether the drag was taken.
bool Drop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint centre = target->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

// What the C library makes of the text, for texts whose number fits 32 bits.
std::optional<qint32> CLibraryScan(const QString& text) {
    int value = 0;
    const std::wstring wide = text.left(63).toStdWString();
    if (std::swscanf(wide.c_str(), L"%d", &value) != 1) {
        return std::nullopt;
    }
    return value;
}

// Answers every message box that comes up while it lives, remembering the last one.
class MessageBoxWatch : public QObject {
public:
    MessageBoxWatch() {
        connect(&timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++seen;
                text = box->text();
                icon = box->icon();
                box->accept();
            }
        });
        timer.start(10);
    }

    int seen = 0;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;

private:
    QTimer timer;
};

}  // namespace

class ID3TagEditorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void controlsLabelsAndTabOrder() {
        TagEditorDialog editor;
        QCOMPARE(editor.windowTitle(), QStringLiteral("ID3 tag editor"));
        auto* group = editor.findChild<QGroupBox*>();
        QVERIFY(group);
        QCOMPARE(group->title(), QStringLiteral("Main ID3 tag:"));

        QList<QWidget*> chain;
        int lastTop = -1;
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        for (const QString& label : kAllLabels) {
            QWidget* field = Field<QWidget>(editor, label);
            QVERIFY2(field, qPrintable(label));
            QCOMPARE(field->parentWidget(), group);
            QVERIFY2(field->y() > lastTop, qPrintable(label));  // top to bottom in this order
            lastTop = field->y();
            chain << field;
        }
        // The cover's row last among the fields: its file's name, Choose (off here, as no way to
        // choose is given) and Remove.
        QLineEdit* cover = Field(editor, QStringLiteral("Co&ver:"));
        QVERIFY(cover && cover->isReadOnly() && cover->parentWidget()->y() > lastTop);
        QVERIFY(!Button(editor, QStringLiteral("C&hoose..."))->isEnabled());
        chain << cover << Button(editor, QStringLiteral("Re&move"));
        QPushButton* ok = Button(editor, QStringLiteral("OK"));
        QPushButton* cancel = Button(editor, QStringLiteral("Cancel"));
        QVERIFY(ok && cancel);
        QVERIFY(ok->isDefault());
        QVERIFY(!cancel->isDefault());
        QVERIFY(ok->x() < cancel->x());
        QCOMPARE(editor.findChildren<QPushButton*>().size(), 4);
        chain << ok << cancel;

        QTRY_COMPARE(QApplication::focusWidget(), chain.first());
        for (int i = 1; i < chain.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), chain[i]);
        }
        // Each field is reached by Alt and a key of its own, the one its label underlines.
        QString keys;
        for (const QString& label : kAllLabels) {
            const QChar key = AccessKey(label);
            QVERIFY(!keys.contains(key));
            keys += key;
            QTest::keyClick(QApplication::focusWidget(), key.toLatin1(), Qt::AltModifier);
            QCOMPARE(QApplication::focusWidget(), Field<QWidget>(editor, label));
        }
    }

    void theCoverIsAPictureFileCheckedAsItIsChosen() {
        QTemporaryDir dir;
        const QString picture = QStringLiteral(TESSARO_FIXTURES "/plasma.jpg");
        const QString text =
            testing_files::WriteAll(dir.filePath(QStringLiteral("notes.jpg")), "not a picture");
        QStringList answers{text, QString(), picture};
        TagEditorDialog editor(nullptr, {}, true, [&] { return answers.takeFirst(); });
        QLineEdit* cover = Field(editor, QStringLiteral("Co&ver:"));
        QPushButton* choose = Button(editor, QStringLiteral("C&hoose..."));
        auto* well = editor.findChild<CoverWell*>();
        QVERIFY(well && well->pixmap().isNull());
        {
            // Not a picture: refused, and said so, the cover as it was.
            MessageBoxWatch watch;
            choose->click();
            QTRY_COMPARE(watch.seen, 1);
            QVERIFY(watch.text.contains(text));
        }
        QVERIFY(editor.Cover().isEmpty());
        choose->click();  // cancelled
        QVERIFY(editor.Cover().isEmpty());
        choose->click();
        QCOMPARE(editor.Cover(), picture);
        QCOMPARE(cover->text(), QStringLiteral("plasma.jpg"));
        // Its thumbnail fits the well, the picture's shape kept.
        const QImage image(picture);
        const QSize shown = well->pixmap().deviceIndependentSize().toSize();
        QVERIFY(shown.width() <= CoverWell::kSide && shown.height() <= CoverWell::kSide);
        QVERIFY(qAbs(shown.width() * image.height() - shown.height() * image.width()) <=
                qMax(image.width(), image.height()));
        Button(editor, QStringLiteral("Re&move"))->click();
        QVERIFY(editor.Cover().isEmpty() && cover->text().isEmpty() && well->pixmap().isNull());
        // Without a way to choose, none is offered; a cover given shows at once.
        TagEditorDialog plain(nullptr, {{}, {}, picture}, true);
        QVERIFY(!Button(plain, QStringLiteral("C&hoose..."))->isEnabled());
        QCOMPARE(plain.Cover(), picture);
        QVERIFY(!plain.findChild<CoverWell*>()->pixmap().isNull());
    }

    void aPictureDroppedOnTheThumbnailIsTheCover() {
        QTemporaryDir dir;
        const QString picture = QStringLiteral(TESSARO_FIXTURES "/plasma.jpg");
        const QString text =
            testing_files::WriteAll(dir.filePath(QStringLiteral("cover.png")), "not a picture");
        TagEditorDialog editor;
        auto* well = editor.findChild<CoverWell*>();
        QCOMPARE(well->accessibleName(), QStringLiteral("Cover"));
        // Two files, or a link that is no file, are not taken.
        const QUrl pictureUrl = QUrl::fromLocalFile(picture);
        QVERIFY(!Drop(well, {pictureUrl, pictureUrl}));
        QVERIFY(!Drop(well, {QUrl(QStringLiteral("https://example.org/cover.jpg"))}));
        {
            // A file that is no picture is refused, saying so, whatever its name.
            MessageBoxWatch watch;
            QVERIFY(Drop(well, {QUrl::fromLocalFile(text)}));
            QTRY_COMPARE(watch.seen, 1);
            QVERIFY(watch.text.contains(text));
        }
        QVERIFY(editor.Cover().isEmpty() && well->pixmap().isNull());
        QVERIFY(Drop(well, {pictureUrl}));
        QCOMPARE(editor.Cover(), picture);
        QCOMPARE(Field(editor, QStringLiteral("Co&ver:"))->text(), QStringLiteral("plasma.jpg"));
        QVERIFY(!well->pixmap().isNull());
    }

    void theFurtherFieldsOpenAsGivenAndOkGivesWhatTheyShow() {
        const tessaro::MoreTagFields given{QStringLiteral("Audiobook"), QStringLiteral("Various"),
                                           QStringLiteral("Read by Ada")};
        TagEditorDialog editor(nullptr, {{}, given, QString()});
        auto* genre = Field<QComboBox>(editor, QStringLiteral("&Genre:"));
        QCOMPARE(genre->currentText(), given.genre);
        QCOMPARE(Field(editor, QStringLiteral("Album arti&st:"))->text(), given.albumArtist);
        QCOMPARE(Field(editor, QStringLiteral("Com&poser/Narrator:"))->text(), given.composer);
        // ID3v1's genres are offered in alphabetical order; a genre of one's own may be typed.
        QStringList offered;
        for (int i = 0; i < genre->count(); ++i) {
            offered << genre->itemText(i);
        }
        QVERIFY(offered.contains(QStringLiteral("Blues")) &&
                offered.contains(QStringLiteral("Speech")));
        for (int i = 1; i < offered.size(); ++i) {
            QVERIFY2(QString::localeAwareCompare(offered[i - 1], offered[i]) <= 0,
                     qPrintable(offered[i]));
        }
        genre->setCurrentText(QStringLiteral("Hörspiel"));
        Field(editor, QStringLiteral("Com&poser/Narrator:"))->setText(QStringLiteral("Ben"));
        editor.show();
        Button(editor, QStringLiteral("OK"))->click();
        QCOMPARE(editor.More(), (tessaro::MoreTagFields{QStringLiteral("Hörspiel"),
                                                        given.albumArtist, QStringLiteral("Ben")}));
        QVERIFY(genre->count() == offered.size());  // what is typed is not added to the list

        // Cancel keeps what was given.
        TagEditorDialog cancelled(nullptr, {{}, given, QString()});
        Field(cancelled, QStringLiteral("Album arti&st:"))->setText(QStringLiteral("Else"));
        cancelled.show();
        Button(cancelled, QStringLiteral("Cancel"))->click();
        QCOMPARE(cancelled.More(), given);
    }

    void theEditorTellsWhetherTheTagIsWritten() {
        const auto says = [](const TagEditorDialog& editor, const QString& text) {
            return ChildWithText<QLabel>(editor, text) != nullptr;
        };
        const QString written = QStringLiteral("The tag is written into the joined file.");
        const QString left = QStringLiteral(
            "The tag is not written into the joined file while \"Save ID3 tag\" is off in File "
            "> Preferences.");
        const TagEditorDialog off(nullptr, {}, false), on(nullptr, {}, true);
        QVERIFY(says(off, left) && !says(off, written));
        QVERIFY(says(on, written) && !says(on, left));
    }

    void anEditorOpensWithTheTagGivenAndOkGivesWhatItShows() {
        // A blank tag shows blank fields, year 0 too; a tag typed before shows again, so that OK
        // at once keeps it.
        const tessaro::OutputTag before{QStringLiteral("Album"), QStringLiteral("Artist"),
                                        QStringLiteral("Title"), 1999, QStringLiteral("Comment")};
        for (bool typeFirst : {true, false}) {
            const auto typed = [typeFirst](int field) {
                return typeFirst ? QStringLiteral("1999 ") + kLabels[field] : QString();
            };
            TagEditorDialog editor;
            for (int field = 0; field < kLabels.size(); ++field) {
                QLineEdit* edit = Field(editor, kLabels[field]);
                QCOMPARE(edit->text(), QString());
                if (typeFirst) {
                    edit->setText(typed(field));
                }
            }
            editor.show();
            Button(editor, QStringLiteral("OK"))->click();
            QCOMPARE(editor.result(), int(QDialog::Accepted));
            QVERIFY(editor.isHidden());
            QCOMPARE(editor.Tag().album, typed(0));
            QCOMPARE(editor.Tag().artist, typed(1));
            QCOMPARE(editor.Tag().title, typed(2));
            QCOMPARE(editor.Tag().year, typeFirst ? 1999 : 0);
            QCOMPARE(editor.Tag().comment, typed(4));
        }
        TagEditorDialog again(nullptr, {before, {}, QString()});
        QCOMPARE(Field(again, QStringLiteral("&Year:"))->text(), QStringLiteral("1999"));
        again.show();
        Button(again, QStringLiteral("OK"))->click();
        QCOMPARE(again.Tag(), before);
    }

    void theYearTakesOnlyWhatFitsAsItIsTyped() {
        TagEditorDialog editor;
        QLineEdit* year = Field(editor, QStringLiteral("&Year:"));
        QTest::keyClicks(year, QStringLiteral("-2a0x0 87"));
        QCOMPARE(year->text(), QStringLiteral("2008"));  // no sign, letter, blank or fifth digit
    }

    void textsArePassedOnWhole() {
        TagEditorDialog editor;
        const QString album = QStringLiteral("  Live at the Hall, part one  ");
        const QString artist = QString::fromUtf16(u"Мария Ёлкина — 東京 \U0001F3B5");
        const QString title = QString(4000, QLatin1Char('t'));
        const QString comment = QStringLiteral("\ttabbed ");
        Field(editor, QStringLiteral("&Album:"))->setText(album);
        Field(editor, QStringLiteral("A&rtist:"))->setText(artist);
        Field(editor, QStringLiteral("&Title:"))->setText(title);
        Field(editor, QStringLiteral("&Year:"))->setText(QStringLiteral(" 2008 "));
        Field(editor, QStringLiteral("&Comment:"))->setText(comment);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        // Enter in a field presses the default button.
        QTest::keyClick(Field(editor, QStringLiteral("&Comment:")), Qt::Key_Return);
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(editor.Tag().album, album);
        QCOMPARE(editor.Tag().artist, artist);
        QCOMPARE(editor.Tag().title, title);
        QCOMPARE(editor.Tag().year, 2008);
        QCOMPARE(editor.Tag().comment, comment);
    }

    void cancelAndEscTakeNothing_data() {
        QTest::addColumn<bool>("byEsc");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Esc") << true;
    }
    void cancelAndEscTakeNothing() {
        QFETCH(bool, byEsc);
        TagEditorDialog editor;
        for (const QString& label : kLabels) {
            Field(editor, label)->setText(QStringLiteral("2001"));
        }
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        if (byEsc) {
            QTest::keyClick(Field(editor, QStringLiteral("&Title:")), Qt::Key_Escape);
        } else {
            Button(editor, QStringLiteral("Cancel"))->click();
        }
        QCOMPARE(editor.result(), int(QDialog::Rejected));
        QVERIFY(editor.isHidden());
        QVERIFY(editor.Tag().album.isEmpty() && editor.Tag().artist.isEmpty() &&
                editor.Tag().title.isEmpty() && editor.Tag().comment.isEmpty());
        QCOMPARE(editor.Tag().year, 0);
    }

    void parseYear_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<qint32>>("expected");
        QTest::addColumn<bool>("fitsCLibrary");  // in range, so the C library is an oracle
        const auto year = [](qint32 value) { return std::optional<qint32>(value); };
        const std::optional<qint32> refused;

        QTest::newRow("plain") << QStringLiteral("2008") << year(2008) << true;
        QTest::newRow("leading blanks") << QStringLiteral("  2008") << year(2008) << true;
        QTest::newRow("surrounding blanks")
            << QStringLiteral(" \t\n\v\f\r1999  ") << year(1999) << true;
        QTest::newRow("minus") << QStringLiteral("-5") << year(-5) << true;
        QTest::newRow("plus") << QStringLiteral("+12") << year(12) << true;
        QTest::newRow("minus zero") << QStringLiteral("-0") << year(0) << true;
        QTest::newRow("leading zeros") << QStringLiteral("000042") << year(42) << true;
        QTest::newRow("letters after") << QStringLiteral("2008abc") << year(2008) << true;
        QTest::newRow("second number ignored") << QStringLiteral("19 84") << year(19) << true;
        QTest::newRow("decimal point") << QStringLiteral("2008.7") << year(2008) << true;
        QTest::newRow("hex is decimal 0") << QStringLiteral("0x1F") << year(0) << true;
        QTest::newRow("largest") << QStringLiteral("2147483647") << year(kMax) << true;
        QTest::newRow("smallest") << QStringLiteral("-2147483648") << year(kMin) << true;
        QTest::newRow("62 blanks, digit")
            << QString(62, QLatin1Char(' ')) + QLatin1Char('7') << year(7) << true;
        QTest::newRow("cut after 63 characters")
            << QString(60, QLatin1Char(' ')) + QStringLiteral("12345") << year(123) << true;

        QTest::newRow("empty") << QString() << refused << true;
        QTest::newRow("blanks only") << QStringLiteral("   ") << refused << true;
        QTest::newRow("letters") << QStringLiteral("abc") << refused << true;
        QTest::newRow("letters first") << QStringLiteral("y2008") << refused << true;
        QTest::newRow("sign alone") << QStringLiteral("-") << refused << true;
        QTest::newRow("blank after sign") << QStringLiteral("- 5") << refused << true;
        QTest::newRow("two signs") << QStringLiteral("+-5") << refused << true;
        QTest::newRow("63 blanks, digit")
            << QString(63, QLatin1Char(' ')) + QLatin1Char('7') << refused << true;
        QTest::newRow("full-width digits") << QString::fromUtf16(u"２００８") << refused << false;

        // Beyond 32 bits: clamped to the nearest end of the range.
        QTest::newRow("just too large") << QStringLiteral("2147483648") << year(kMax) << false;
        QTest::newRow("just too small") << QStringLiteral("-2147483649") << year(kMin) << false;
        QTest::newRow("huge") << QString(62, QLatin1Char('9')) << year(kMax) << false;
        QTest::newRow("huge negative")
            << QLatin1Char('-') + QString(62, QLatin1Char('9')) << year(kMin) << false;
        QTest::newRow("64-bit wrap")
            << QStringLiteral("18446744073709551617") << year(kMax) << false;
    }
    void parseYear() {
        QFETCH(QString, text);
        QFETCH(std::optional<qint32>, expected);
        QFETCH(bool, fitsCLibrary);
        QCOMPARE(TagEditorDialog::ParseYear(text), expected);
        if (fitsCLibrary) {
            QCOMPARE(TagEditorDialog::ParseYear(text), CLibraryScan(text));
        }
    }

    void yearOnOk_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<std::optional<qint32>>("year");
        QTest::newRow("leading blanks") << QStringLiteral("  2008") << std::optional<qint32>(2008);
        QTest::newRow("empty is 0") << QString() << std::optional<qint32>(0);
        QTest::newRow("letters after") << QStringLiteral("2008abc") << std::optional<qint32>(2008);
        QTest::newRow("minus") << QStringLiteral("-5") << std::optional<qint32>();
        QTest::newRow("past 9999") << QStringLiteral("10000") << std::optional<qint32>();
        QTest::newRow("letters") << QStringLiteral("abc") << std::optional<qint32>();
    }
    void yearOnOk() {
        QFETCH(QString, text);
        QFETCH(std::optional<qint32>, year);
        MessageBoxWatch watch;
        TagEditorDialog editor;
        QLineEdit* yearField = Field(editor, QStringLiteral("&Year:"));
        Field(editor, QStringLiteral("&Album:"))->setText(QStringLiteral("An album"));
        yearField->setText(text);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        Button(editor, QStringLiteral("OK"))->click();
        if (year) {
            QCOMPARE(watch.seen, 0);
            QCOMPARE(editor.result(), int(QDialog::Accepted));
            QCOMPARE(editor.Tag().year, *year);
            return;
        }

        QCOMPARE(watch.seen, 1);
        QCOMPARE(watch.text, text.startsWith(QLatin1String("abc"))
                                 ? QStringLiteral("Enter an integer.")
                                 : QStringLiteral("Enter a year from 0 to 9999."));
        QCOMPARE(watch.icon, QMessageBox::Warning);
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.result(), int(QDialog::Rejected));  // nothing returned yet
        QVERIFY(editor.Tag().album.isEmpty());
        QCOMPARE(editor.focusWidget(), yearField);
        QCOMPARE(yearField->selectedText(), text);
        QCOMPARE(yearField->text(), text);

        // Still usable: a number now goes through.
        yearField->setText(QStringLiteral("1984"));
        Button(editor, QStringLiteral("OK"))->click();
        QCOMPARE(watch.seen, 1);
        QCOMPARE(editor.result(), int(QDialog::Accepted));
        QCOMPARE(editor.Tag().year, 1984);
        QCOMPARE(editor.Tag().album, QStringLiteral("An album"));
    }
};

QTEST_MAIN(ID3TagEditorTest)
#include "TagEditorDialogTest.moc"
