#include "app/DesktopProgress.h"

#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include "TestFiles.h"
#include "app/JoinController.h"

using namespace testing_files;

namespace {

// What the window would have told the desktop.
struct Told {
    QList<std::pair<double, bool>> progress;
    QList<std::pair<QString, QString>> notices;
};

class RecordingBus : public tessaro::DesktopBus {
public:
    explicit RecordingBus(Told& told) : told(told) {}
    void SetProgress(double fraction, bool visible) override {
        told.progress.append({fraction, visible});
    }
    void Notify(const QString& summary, const QString& body) override {
        told.notices.append({summary, body});
    }

private:
    Told& told;
};

}  // namespace

class DesktopProgressTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // Joins two fixtures into `name` with `window` following it through DesktopProgress, and puts
    // in `told` what it told the desktop, and the titles the window took meanwhile.
    void Merge(QWidget& window, const QString& name, Told& told, QStringList* titles) {
        tessaro::JoinController join;
        new tessaro::DesktopProgress(window, join, std::make_unique<RecordingBus>(told));
        connect(&window, &QWidget::windowTitleChanged, this,
                [titles](const QString& title) { titles->append(title); });
        const QString input = Fixture(QStringLiteral("cbr128_stereo.mp3"));
        const tessaro::JoinRequest request{{input, input}, dir.filePath(name), {}, false, {}};
        QVERIFY(join.Start(request));
        QTRY_VERIFY_WITH_TIMEOUT(!join.IsRunning(), 10000);
    }

private Q_SLOTS:
    void aMergeInTheBackgroundShowsItsPercentAndSaysHowItEnded() {
        QWidget window;  // never shown, so never the active window
        QStringList titles;
        Told told;
        Merge(window, QStringLiteral("book.mp3"), told, &titles);
        QVERIFY(!titles.isEmpty());
        QVERIFY2(titles.last().startsWith(QStringLiteral("100 % — book.mp3 — ")),
                 qPrintable(titles.last()));
        QVERIFY(told.progress.size() >= 2);
        QCOMPARE(told.progress[told.progress.size() - 2], std::pair(1.0, true));
        QCOMPARE(told.progress.last(), std::pair(0.0, false));  // hidden at the end
        QCOMPARE(told.notices.size(), 1);
        QCOMPARE(told.notices[0].first, QStringLiteral("Merge finished"));
        QVERIFY2(told.notices[0].second.startsWith(QStringLiteral("Joined 2 files into book.mp3")),
                 qPrintable(told.notices[0].second));
    }

    void theActiveWindowIsNotInterruptedByANotice() {
        QWidget window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QStringList titles;
        Told told;
        Merge(window, QStringLiteral("seen.mp3"), told, &titles);
        QVERIFY(!told.progress.isEmpty());
        QVERIFY(told.notices.isEmpty());
    }
};

QTEST_MAIN(DesktopProgressTest)
#include "DesktopProgressTest.moc"
