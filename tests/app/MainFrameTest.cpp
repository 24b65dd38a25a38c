#include <QAccessible>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <functional>

#include "FrameTesting.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "app/StatusArea.h"
#include "app/ToolIcons.h"
#include "app/WindowDialogs.h"
#include "app/WorkspaceDocument.h"
#include "dialogs/PreferencesDialog.h"
#include "view/TrackListView.h"

using namespace tessaro;
#include "translations/Translations.h"
#include "view/OutputPane.h"

namespace {

// What a screen reader says of the widget, unless it is empty or carries a tab or one of the
// window's keys: a description of what is wrong, else empty.
QString NameFault(const QString& what, const QString& name, const QStringList& keys) {
    const bool keyed = std::any_of(keys.begin(), keys.end(),
                                   [&](const QString& key) { return name.endsWith(key); });
    return name.isEmpty() || name.contains(QLatin1Char('\t')) || keyed
               ? what + QStringLiteral(" \"") + name + QLatin1Char('"')
               : QString();
}

QStringList MenuTitles(MainWindow& frame) {
    QStringList titles;
    for (const QAction* menu : frame.menuBar()->actions()) {
        titles << menu->text();
    }
    return titles;
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        // Keep the user's own settings out of the way.
        QVERIFY(config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    }

    void layoutAndTitle() {
        tessaro::MainWindow frame;
        QCOMPARE(frame.windowTitle(), QStringLiteral("Untitled[*] \u2014 Zovi Tessaro 1.2"));
        QVERIFY(frame.menuBar());
        QCOMPARE(frame.findChildren<QToolBar*>().size(), 1);
        QCOMPARE(frame.toolBarArea(frame.findChild<QToolBar*>()), Qt::TopToolBarArea);
        QCOMPARE(frame.dockWidgetArea(&frame.Output()), Qt::BottomDockWidgetArea);
        QCOMPARE(frame.statusBar(), frame.statusBar());
        QCOMPARE(frame.statusBar()->currentMessage(), QStringLiteral("Ready"));
        frame.statusBar()->showMessage(QStringLiteral("a prompt"));
        frame.statusBar()->clearMessage();
        QCOMPARE(frame.statusBar()->currentMessage(), QStringLiteral("Ready"));
        QStringList indicators;
        for (auto* label : frame.statusBar()->findChildren<QLabel*>()) {
            indicators << label->text();
        }
        QVERIFY(indicators.contains(QStringLiteral("CAP")));
        QVERIFY(indicators.contains(QStringLiteral("NUM")));
        QVERIFY(indicators.contains(QStringLiteral("SCRL")));
        // The first size fits the screen's free area (800 by 600 offscreen) with the frame.
        const QSize screen = frame.screen()->availableGeometry().size();
        QVERIFY(frame.width() < screen.width() && frame.height() < screen.height());
    }

    // Glyphs made out on light and dark bars: the program's own on both, a theme's only on the
    // bar it was drawn for; a window whose palette turns dark takes its own where the theme's
    // would be lost.
    void toolBarGlyphsStandOutFromLightAndDarkBars() {
        const QColor light(0xef, 0xf0, 0xf1), dark(0x31, 0x36, 0x3b);
        for (const char* name : {"new", "open", "save", "insert", "remove", "up", "down", "merge",
                                 "preferences", "help"}) {
            for (const QColor& bar : {light, dark}) {
                QVERIFY2(StandsOut(ToolIcon(QLatin1String(name), bar), bar), name);
            }
        }
        QTemporaryDir themes;
        QVERIFY(QDir(themes.path()).mkpath(QStringLiteral("grey/16x16/actions")));
        QFile index(themes.filePath(QStringLiteral("grey/index.theme")));
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write(
            "[Icon Theme]\nName=grey\nDirectories=16x16/actions\n\n"
            "[16x16/actions]\nSize=16\nType=Fixed\n");
        index.close();
        QImage plus(16, 16, QImage::Format_ARGB32);
        plus.fill(Qt::transparent);
        QPainter(&plus).fillRect(2, 6, 12, 4, QColor(0x2e, 0x34, 0x36));
        QPainter(&plus).fillRect(6, 2, 4, 12, QColor(0x2e, 0x34, 0x36));
        QVERIFY(plus.save(themes.filePath(QStringLiteral("grey/16x16/actions/list-add.png"))));
        const QStringList paths = QIcon::themeSearchPaths();
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName(QStringLiteral("grey"));
        const auto colourAtCentre = [](const QIcon& icon) {
            return icon.pixmap(16, 16).toImage().pixelColor(8, 8);
        };
        QCOMPARE(colourAtCentre(ToolIcon(QStringLiteral("insert"), light)),
                 QColor(0x2e, 0x34, 0x36));
        QVERIFY(!StandsOut(QIcon::fromTheme(QStringLiteral("list-add")), dark));
        {
            MainWindow frame;
            QAction* insert = frame.Action(QStringLiteral("insertMp3"));
            QPalette palette = frame.palette();
            palette.setColor(QPalette::Window, light);
            frame.setPalette(palette);
            QCOMPARE(colourAtCentre(insert->icon()), QColor(0x2e, 0x34, 0x36));
            palette.setColor(QPalette::Window, dark);
            frame.setPalette(palette);
            QVERIFY(StandsOut(insert->icon(), dark));
        }
        QIcon::setThemeName(QString());
        QIcon::setThemeSearchPaths(paths);
    }

    // Every control a screen reader reaches, the menu items among them, is named in words.
    void everyControlHasAnAccessibleNameWithoutItsKeys() {
        MainWindow frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QStringList keys;
        for (const QAction* action : frame.findChildren<QAction*>()) {
            for (const QKeySequence& key : action->shortcuts()) {
                keys << key.toString(QKeySequence::NativeText);
            }
        }
        QVERIFY(keys.contains(QStringLiteral("Del")));
        QStringList faults;
        const auto check = [&](const QString& what, QAccessibleInterface* face) {
            const QString fault =
                NameFault(what, face ? face->text(QAccessible::Name) : QString(), keys);
            if (!fault.isEmpty()) {
                faults << fault;
            }
        };
        for (QWidget* widget : frame.findChildren<QWidget*>()) {
            const bool control = widget->focusPolicy() != Qt::NoFocus ||
                                 qobject_cast<QAbstractButton*>(widget) ||
                                 qobject_cast<QToolBar*>(widget);
            if (control && widget->isVisibleTo(&frame)) {
                check(QLatin1String(widget->metaObject()->className()) + QLatin1Char(' ') +
                          widget->objectName(),
                      QAccessible::queryAccessibleInterface(widget));
            }
        }
        for (const QAction* menu : frame.menuBar()->actions()) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(menu->menu());
            for (int i = 0; i < face->childCount(); ++i) {
                if (face->child(i)->role() != QAccessible::Separator) {
                    check(menu->text(), face->child(i));
                }
            }
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral(", "))));
    }

    void fileDialogsStartInTheFolderUsedLast() {
        const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
        const QString first = QFileInfo(music).isDir() ? music : QDir::homePath();
        QCOMPARE(StartFolder(), first);
        QTemporaryDir used;
        RememberFolder(used.path());
        QCOMPARE(StartFolder(), used.path());
        used.remove();
        QCOMPARE(StartFolder(), first);

        // A full path typed into the dialog: its folder is kept, not the one the dialog showed.
        QTemporaryDir shown, typed;
        RememberFolder(shown.path());
        const QString file = typed.filePath(QStringLiteral("a.mp3"));
        QTimer::singleShot(0, [file] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file);
            static_cast<QDialog*>(dialog)->accept();
        });
        QtWindowDialogs dialogs;
        QCOMPARE(dialogs.GetSaveFileName(nullptr, QStringLiteral("MP3 files(*.mp3)"),
                                         QStringLiteral("mp3"), QString()),
                 file);
        QCOMPARE(StartFolder(), typed.path());
    }

    void theListFillsTheView() {
        tessaro::MainWindow frame;
        frame.resize(700, 500);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QWidget* view = frame.centralWidget();
        QCOMPARE(frame.View().geometry(), view->contentsRect());
        frame.resize(900, 650);
        QTRY_COMPARE(frame.View().geometry(), view->contentsRect());
    }

    void progressBarKeepsItsPlaceOnEveryResize() {
        tessaro::MainWindow frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QVERIFY(frame.Status().Progress().isHidden());
        QCOMPARE(frame.Status().Progress().parentWidget(), frame.statusBar());
        for (const QSize& size : {QSize(800, 600), QSize(1200, 400), QSize(640, 480)}) {
            frame.resize(size);
            QTRY_COMPARE(frame.statusBar()->width(), size.width());
            const QRect bar = frame.statusBar()->rect();
            QCOMPARE(frame.Status().Progress().geometry(),
                     QRect(bar.width() - 450, 2, 300, bar.height() - 4));
        }
    }

    void theFocusGoesOnToTheList() {
        tessaro::MainWindow frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.activateWindow();
        frame.setFocus();
        QTRY_VERIFY(frame.View().hasFocus());
    }

    void preferenceReadAtConstructionAndWrittenAtDestruction() {
        const QString folder = config.filePath(QStringLiteral("Zovi Tessaro 1.2"));
        const QString file = folder + QStringLiteral("/preferences.dat");
        QFile::remove(file);
        {
            tessaro::MainWindow frame;
            QVERIFY(!frame.SaveID3Tag());
            QVERIFY(QFileInfo(folder).isDir());
            frame.SetSaveID3Tag(true);
            QVERIFY(!QFile::exists(file));
        }
        QFile written(file);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QCOMPARE(bytes.size(), 521);
        QCOMPARE(bytes.left(20), QByteArray("S\0a\0v\0e\0I\0D\0003\0T\0a\0g\0", 20));
        QCOMPARE(bytes.at(520), '\1');
        {
            tessaro::MainWindow frame;
            QVERIFY(frame.SaveID3Tag());
            frame.SetSaveID3Tag(false);
        }
        written.close();  // the file was replaced, not rewritten in place
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll().mid(520), QByteArray(1, '\0'));
    }

    // Under a German locale the window's menus and Qt's own buttons are German; once the
    // translations are gone, English again. A language without a translation (Esperanto) stays
    // English.
    void textsInTheLocalesLanguage() {
        {
            const tessaro::Translations german(QLocale(QLocale::German, QLocale::Germany));
            QVERIFY(german.ProgramTranslated() && german.QtTranslated());
            MainWindow frame;
            QCOMPARE(MenuTitles(frame),
                     QStringList({QStringLiteral("&Datei"), QStringLiteral("&Bearbeiten"),
                                  QStringLiteral("&Wiedergabe"), QStringLiteral("&Ansicht"),
                                  QStringLiteral("&Hilfe")}));
            QCOMPARE(frame.Output().windowTitle(), QStringLiteral("Ausgabe"));
            QCOMPARE(frame.View().accessibleName(), QStringLiteral("MP3-Dateien"));
            // Each menu's access keys stay apart in the translation too.
            ExpectAccessKeysApart(frame);
            // The preferences' boxes, whose texts the engine's choices carry.
            PreferencesDialog preferences;
            QStringList boxes;
            for (const QCheckBox* box : preferences.findChildren<QCheckBox*>()) {
                boxes << box->text();
            }
            QVERIFY2(boxes.contains(QStringLiteral("Für jede Eingabedatei ein &Kapitel anlegen")),
                     qPrintable(boxes.join(QLatin1Char('|'))));
            const QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
            QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')),
                     QStringLiteral("Abbrechen"));
        }
        const tessaro::Translations none(QLocale(QLocale::Esperanto));
        QVERIFY(!none.ProgramTranslated());
        MainWindow frame;
        QCOMPARE(MenuTitles(frame).first(), QStringLiteral("&File"));
        ExpectAccessKeysApart(frame);
    }

    // No two items of a menu share an access key.
    static void ExpectAccessKeysApart(const MainWindow& frame) {
        for (const QAction* menu : frame.menuBar()->actions()) {
            QSet<QChar> keys;
            for (const QAction* item : menu->menu()->actions()) {
                const QString text = item->text();
                const qsizetype amp = text.indexOf(QLatin1Char('&'));
                if (amp >= 0) {
                    const QChar key = text.at(amp + 1).toLower();
                    QVERIFY2(!keys.contains(key), qPrintable(text));
                    keys.insert(key);
                }
            }
        }
    }

    // A second start's files are added and logged as Insert adds and logs them.
    void secondStartsFilesAreInsertedAndLogged() {
        QTemporaryDir dir;
        tessaro::SingleInstance first(dir.filePath(QStringLiteral("tessaro.socket")));
        ScriptedDialogs* script = nullptr;
        auto frame = testing_files::MakeScriptedFrame(script);
        frame->TakeHandOvers(first);
        const QStringList files{QStringLiteral("/music/01 Ouvertüre.mp3"), QStringLiteral("/x")};
        Q_EMIT first.FilesArrived(files);
        QCOMPARE(frame->Document().Tracks().Paths(), files);
        QCOMPARE(testing_files::LogTexts(*frame).last(),
                 QStringLiteral("MP3 file \"/x\" has been inserted!"));
    }

    // A question is answered by either of its buttons (Esc the second), or taken away.
    void aQuestionIsAnsweredOrWithdrawn() {
        QtWindowDialogs dialogs;
        const auto ask = [&dialogs](const std::function<void(QMessageBox&)>& answer) {
            QTimer::singleShot(0, [answer] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                QVERIFY(box);
                answer(*box);
                if (box->isVisible()) {
                    box->done(QDialog::Rejected);  // so that the test goes on
                    QFAIL("The question is still open.");
                }
            });
            return dialogs.Confirm(nullptr, QStringLiteral("Merge"), QStringLiteral("Close?"),
                                   QStringLiteral("Close"), QStringLiteral("Keep"));
        };
        const auto click = [](int button) {
            return [button](QMessageBox& box) {
                QCOMPARE(box.buttons().size(), 2);
                box.buttons().at(button)->click();
            };
        };
        QVERIFY(ask(click(0)) != ask(click(1)));
        QVERIFY(!ask([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }));
        QVERIFY(!ask([&dialogs](QMessageBox&) { dialogs.WithdrawQuestion(); }));
        dialogs.WithdrawQuestion();  // none open: nothing to take away
    }

private:
    QTemporaryDir config;
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
