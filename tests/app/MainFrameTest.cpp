#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include "app/CMainFrame.h"
#include "app/FrameDialogs.h"
#include "view/OutputPane.h"
#include "view/CTessaroListBox.h"

class MainFrameTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        // Keep the user's own settings out of the way.
        QVERIFY(config.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    }

    void layoutAndTitle() {
        CMainFrame frame;
        QCOMPARE(frame.windowTitle(), QStringLiteral("Zovi Tessaro 1.2"));
        QVERIFY(frame.menuBar());
        QCOMPARE(frame.findChildren<QToolBar*>().size(), 1);
        QCOMPARE(frame.toolBarArea(frame.findChild<QToolBar*>()), Qt::TopToolBarArea);
        QCOMPARE(frame.dockWidgetArea(&frame.Output()), Qt::BottomDockWidgetArea);
        QCOMPARE(frame.statusBar(), &frame.StatusBar());
        QCOMPARE(frame.StatusBar().currentMessage(), QStringLiteral("Ready"));
        frame.StatusBar().showMessage(QStringLiteral("a prompt"));
        frame.StatusBar().clearMessage();
        QCOMPARE(frame.StatusBar().currentMessage(), QStringLiteral("Ready"));
        QStringList indicators;
        for (auto* label : frame.StatusBar().findChildren<QLabel*>()) {
            indicators << label->text();
        }
        QVERIFY(indicators.contains(QStringLiteral("CAP")));
        QVERIFY(indicators.contains(QStringLiteral("NUM")));
        QVERIFY(indicators.contains(QStringLiteral("SCRL")));
        // The first size fits the screen's free area (800 by 600 offscreen) with the frame.
        const QSize screen = frame.screen()->availableGeometry().size();
        QVERIFY(frame.width() < screen.width() && frame.height() < screen.height());
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
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QtFrameDialogs dialogs;
        QCOMPARE(dialogs.GetSaveFileName(nullptr, QStringLiteral("MP3 files(*.mp3)"),
                                         QStringLiteral("mp3")),
                 file);
        QCOMPARE(StartFolder(), typed.path());
    }

    void theListFillsTheView() {
        CMainFrame frame;
        frame.resize(700, 500);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QWidget* view = frame.centralWidget();
        QCOMPARE(frame.List().geometry(), view->contentsRect());
        frame.resize(900, 650);
        QTRY_COMPARE(frame.List().geometry(), view->contentsRect());
    }

    void progressBarKeepsItsPlaceOnEveryResize() {
        CMainFrame frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QVERIFY(frame.Progress().isHidden());
        QCOMPARE(frame.Progress().parentWidget(), &frame.StatusBar());
        for (const QSize& size : {QSize(800, 600), QSize(1200, 400), QSize(640, 480)}) {
            frame.resize(size);
            QTRY_COMPARE(frame.StatusBar().width(), size.width());
            const QRect bar = frame.StatusBar().rect();
            QCOMPARE(frame.Progress().geometry(),
                     QRect(bar.width() - 450, 2, 300, bar.height() - 4));
        }
    }

    void theFocusGoesOnToTheList() {
        CMainFrame frame;
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.activateWindow();
        frame.setFocus();
        QTRY_VERIFY(frame.List().hasFocus());
    }

    void preferenceReadAtConstructionAndWrittenAtDestruction() {
        const QString folder = config.filePath(QStringLiteral("Zovi Tessaro 1.2"));
        const QString file = folder + QStringLiteral("/preferences.dat");
        QFile::remove(file);
        {
            CMainFrame frame;
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
            CMainFrame frame;
            QVERIFY(frame.SaveID3Tag());
            frame.SetSaveID3Tag(false);
        }
        written.close();  // the file was replaced, not rewritten in place
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll().mid(520), QByteArray(1, '\0'));
    }

private:
    QTemporaryDir config;
};

QTEST_MAIN(MainFrameTest)
#include "MainFrameTest.moc"
