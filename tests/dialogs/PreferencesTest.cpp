#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "ChildWithText.h"
#include "dialogs/PreferencesDialog.h"

using namespace tessaro;

namespace {

QCheckBox& SaveTagBox(PreferencesDialog& sheet) {
    return *sheet.StandardPage().findChild<QCheckBox*>();
}

}  // namespace

class PreferencesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void oneStandardTabWithOkAndCancelOnly() {
        PreferencesDialog sheet;
        QCOMPARE(sheet.windowTitle(), QStringLiteral("Preferences"));
        const auto tabs = sheet.findChildren<QTabWidget*>();
        QCOMPARE(tabs.size(), 1);
        QCOMPARE(tabs[0]->count(), 1);
        QCOMPARE(tabs[0]->tabText(0), QStringLiteral("Standard"));
        QCOMPARE(tabs[0]->widget(0), &sheet.StandardPage());

        QStringList buttons;
        for (auto* button : sheet.findChildren<QPushButton*>()) {
            buttons << button->text();
        }
        buttons.sort();
        QCOMPARE(buttons, (QStringList{QStringLiteral("Cancel"), QStringLiteral("OK")}));
        QVERIFY(sheet.findChildren<QDialogButtonBox*>().isEmpty());  // no Apply hiding there
        QVERIFY(Button(sheet, QStringLiteral("OK"))->isDefault());

        const auto groups = sheet.StandardPage().findChildren<QGroupBox*>();
        QCOMPARE(groups.size(), 2);
        QCOMPARE(groups[0]->title(), QStringLiteral("ID3 tag options:"));
        const auto boxes = groups[0]->findChildren<QCheckBox*>();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0]->text(), QStringLiteral("&Save  ID3 tag to output mp3 file"));
        // Below it the joined file's boxes, next in tab order.
        QCOMPARE(groups[1]->title(), QStringLiteral("Joined file:"));
        QVERIFY(groups[0]->geometry().bottom() < groups[1]->geometry().top());
        QStringList joined;
        for (QWidget* next = boxes[0]->nextInFocusChain(); joined.size() < 2;
             next = next->nextInFocusChain()) {
            if (auto* box = qobject_cast<QCheckBox*>(next)) {
                QCOMPARE(box->parentWidget(), groups[1]);
                joined << box->text();
            }
        }
        QCOMPARE(joined,
                 (QStringList{QStringLiteral("Add a &chapter for each input file"),
                              QStringLiteral("&One chapter for the parts of a title "
                                             "(\"Chapter 3 (1/2)\", \"Chapter 3 (2/2)\")")}));
    }

    void everyBoxHasAnAccessKeyOfItsOwn() {
        PreferencesDialog sheet;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        QString keys;
        for (QCheckBox* box : sheet.StandardPage().findChildren<QCheckBox*>()) {
            const QChar key = AccessKey(box->text());
            QVERIFY2(!key.isNull(), qPrintable(box->text()));
            QVERIFY2(!keys.contains(key), qPrintable(box->text()));
            keys += key;
            // Alt and the key toggles the box.
            const bool was = box->isChecked();
            QTest::keyClick(&sheet, key.toLatin1(), Qt::AltModifier);
            QTRY_VERIFY2(box->isChecked() != was, qPrintable(box->text()));  // an animated click
        }
        QCOMPARE(keys.size(), 11);
    }

    void theJoinedFileBoxesAreKeptOnOkAndLeftOnCancel() {
        const QStringList texts{
            QStringLiteral("Copy the &tag the inputs share (album, artist, genre, \u2026)"),
            QStringLiteral("&Write the tag as ID3v2.3 (for Windows and older players)")};
        for (const QString& close : {QStringLiteral("OK"), QStringLiteral("Cancel")}) {
            PreferencesDialog sheet;
            tessaro::JoinPreferences preferences;
            preferences.options.id3v23 = true;
            sheet.StandardPage().SetPreferences(preferences);
            sheet.show();
            QVERIFY(QTest::qWaitForWindowActive(&sheet));
            QCheckBox* copyTags = ChildWithText<QCheckBox>(sheet.StandardPage(), texts[0]);
            QCheckBox* id3v23 = ChildWithText<QCheckBox>(sheet.StandardPage(), texts[1]);
            QVERIFY(copyTags && id3v23);
            QVERIFY(!copyTags->isChecked() && id3v23->isChecked());
            // Chapters by title only where there are chapters.
            QCheckBox* chapters = ChildWithText<QCheckBox>(
                sheet.StandardPage(), QStringLiteral("Add a &chapter for each input file"));
            auto* byTitle = qobject_cast<QCheckBox*>(chapters->nextInFocusChain());
            QVERIFY(byTitle && !byTitle->isEnabled());
            chapters->click();
            QVERIFY(byTitle->isEnabled());
            byTitle->click();
            // By their access keys, which click a button as a press of the mouse would; the first
            // input's values only where the tag is copied.
            auto* first = qobject_cast<QCheckBox*>(copyTags->nextInFocusChain());
            QVERIFY(first && !first->isEnabled());
            QTest::keyClick(sheet.focusWidget(), Qt::Key_T, Qt::AltModifier);
            QTRY_VERIFY(copyTags->isChecked());
            QVERIFY(first->isEnabled());
            QTest::keyClick(sheet.focusWidget(), Qt::Key_F, Qt::AltModifier);
            QTRY_VERIFY(first->isChecked());
            QTest::keyClick(sheet.focusWidget(), Qt::Key_W, Qt::AltModifier);
            QTRY_VERIFY(!id3v23->isChecked());
            Button(sheet, close)->click();
            const bool kept = close == QLatin1String("OK");
            QCOMPARE(sheet.StandardPage().Preferences().options.copyTags, kept);
            QCOMPARE(sheet.StandardPage().Preferences().options.id3v23, !kept);
            QCOMPARE(sheet.StandardPage().Preferences().options.chaptersByTitle, kept);
            QCOMPARE(sheet.StandardPage().Preferences().options.copyTagsFirst, kept);
        }
    }

    void theLevelTargetAndAlbumAreShownBesideTheirBoxAndKeptOnOkOnly() {
        for (const QString& close : {QStringLiteral("OK"), QStringLiteral("Cancel")}) {
            PreferencesDialog sheet;
            sheet.StandardPage().SetPreferences({.options = {.levelTarget = -23.5}});
            sheet.show();
            QVERIFY(QTest::qWaitForWindowActive(&sheet));
            QCheckBox* level = ChildWithText<QCheckBox>(
                sheet.StandardPage(),
                QStringLiteral(
                    "&Level the loudness of the inputs (changes gain only, no re-encoding)"));
            QVERIFY(level && !level->isChecked());
            // Next in tab order, beside it, in use only while levelling is.
            auto* target = qobject_cast<QDoubleSpinBox*>(level->nextInFocusChain());
            QVERIFY(target);
            QVERIFY(target->geometry().left() > level->geometry().right());
            QVERIFY(target->geometry().top() < level->geometry().center().y() &&
                    target->geometry().bottom() > level->geometry().center().y());
            QCOMPARE(target->value(), -23.5);
            QCOMPARE(target->minimum(), -70.0);
            QCOMPARE(target->maximum(), 0.0);
            QCOMPARE(target->suffix(), QStringLiteral(" LUFS"));
            QVERIFY(!target->isEnabled());
            // Then, past the target's own line edit, the album's box beside it, as much in use.
            QWidget* next = target->nextInFocusChain();
            while (next->parentWidget() == target) {
                next = next->nextInFocusChain();
            }
            auto* album = qobject_cast<QCheckBox*>(next);
            QVERIFY(album);
            QCOMPARE(album->text(), QStringLiteral("Level as one &album"));
            QVERIFY(album->geometry().left() > target->geometry().right());
            QVERIFY(album->geometry().top() < target->geometry().center().y() &&
                    album->geometry().bottom() > target->geometry().center().y());
            QVERIFY(!album->isEnabled());
            level->click();
            QVERIFY(target->isEnabled() && album->isEnabled());
            album->click();
            target->setFocus();
            target->selectAll();
            QTest::keyClicks(target, QStringLiteral("-16"));
            Button(sheet, close)->click();
            const bool kept = close == QLatin1String("OK");
            QCOMPARE(sheet.StandardPage().Preferences().options.level, kept);
            QCOMPARE(sheet.StandardPage().Preferences().options.levelAlbum, kept);
            QCOMPARE(sheet.StandardPage().Preferences().options.levelTarget, kept ? -16.0 : -23.5);
        }
    }

    void theSilenceBetweenInputsIsASpinBoxOfItsOwnKeptOnOkOnly() {
        for (const QString& close : {QStringLiteral("OK"), QStringLiteral("Cancel")}) {
            PreferencesDialog sheet;
            sheet.StandardPage().SetPreferences({.options = {.gapSeconds = 1.25}});
            sheet.show();
            QVERIFY(QTest::qWaitForWindowActive(&sheet));
            QLabel* label = ChildWithText<QLabel>(sheet.StandardPage(),
                                                  QStringLiteral("Silence &between inputs:"));
            QVERIFY(label);
            auto* group = qobject_cast<QGroupBox*>(label->parentWidget());
            QVERIFY(group);
            QCOMPARE(group->title(), QStringLiteral("Joined file:"));
            // Beside its label, always in use: 0 is none.
            auto* gap = qobject_cast<QDoubleSpinBox*>(label->buddy());
            QVERIFY(gap && gap->isEnabled());
            QCOMPARE(gap->parentWidget(), label->parentWidget());
            QVERIFY(gap->geometry().left() > label->geometry().right());
            QCOMPARE(gap->value(), 1.25);
            QCOMPARE(gap->minimum(), 0.0);
            QCOMPARE(gap->maximum(), 60.0);
            QCOMPARE(gap->suffix(), QStringLiteral(" s"));
            QCOMPARE(gap->accessibleName(), QStringLiteral("Silence between inputs:"));
            // Its label's access key takes the focus to it.
            QTest::keyClick(sheet.focusWidget(), Qt::Key_B, Qt::AltModifier);
            QTRY_COMPARE(sheet.focusWidget(), gap);
            gap->selectAll();
            QTest::keyClicks(gap, QStringLiteral("0.75"));
            Button(sheet, close)->click();
            QCOMPARE(sheet.StandardPage().Preferences().options.gapSeconds,
                     close == QLatin1String("OK") ? 0.75 : 1.25);
        }
    }

    void opensWithTheCheckBoxFocused() {
        PreferencesDialog sheet;
        sheet.show();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        QVERIFY(qobject_cast<QCheckBox*>(sheet.focusWidget()));
        QTest::keyClick(sheet.focusWidget(), Qt::Key_Space);
        QTest::keyClick(&sheet, Qt::Key_Return);
        QVERIFY(sheet.StandardPage().SaveID3Tag());
    }

    void closing_data() {
        QTest::addColumn<bool>("before");
        QTest::addColumn<bool>("toggle");
        QTest::addColumn<QString>("close");  // "OK", "Cancel" or "Esc"
        QTest::addColumn<bool>("after");
        for (bool before : {false, true}) {
            const char* state = before ? "on" : "off";
            QTest::addRow("%s, OK", state) << before << false << QStringLiteral("OK") << before;
            QTest::addRow("%s, toggled, OK", state)
                << before << true << QStringLiteral("OK") << !before;
            QTest::addRow("%s, toggled, Cancel", state)
                << before << true << QStringLiteral("Cancel") << before;
            QTest::addRow("%s, toggled, Esc", state)
                << before << true << QStringLiteral("Esc") << before;
        }
    }
    void closing() {
        QFETCH(bool, before);
        QFETCH(bool, toggle);
        QFETCH(QString, close);
        QFETCH(bool, after);

        PreferencesDialog sheet;
        sheet.StandardPage().SetSaveID3Tag(before);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        QCheckBox& box = SaveTagBox(sheet);
        QCOMPARE(box.isChecked(), before);
        if (toggle) {
            QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(5, box.height() / 2));
            QCOMPARE(box.isChecked(), !before);
            QCOMPARE(sheet.StandardPage().SaveID3Tag(), before);  // not before OK
        }
        if (close == QLatin1String("Esc")) {
            QTest::keyClick(&box, Qt::Key_Escape);
        } else {
            Button(sheet, close)->click();
        }
        QVERIFY(sheet.isHidden());
        QCOMPARE(sheet.result(),
                 int(close == QLatin1String("OK") ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(sheet.StandardPage().SaveID3Tag(), after);
    }
};

QTEST_MAIN(PreferencesTest)
#include "PreferencesTest.moc"
