#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "ChildWithText.h"
#include "dialogs/AboutDialog.h"
#include "dialogs/Help.h"

using namespace tessaro;

namespace {

// Takes the addresses handed to the desktop instead of opening them.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

}  // namespace

class AboutHelpTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aboutBoxShowsIconProductAndNotice() {
        QPixmap iconPixmap(64, 64);
        iconPixmap.fill(QColor(200, 30, 40));
        QApplication::setWindowIcon(QIcon(iconPixmap));

        AboutDialog about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About ..."));

        QLabel* product = ChildWithText<QLabel>(about, QStringLiteral("Zovi Tessaro 1.2"));
        QVERIFY(product);
        const QFont font = product->font();
        QCOMPARE(font.family(), QStringLiteral("Arial"));
        QCOMPARE(font.pixelSize(), 20);
        QVERIFY(font.bold());
        QCOMPARE(font.styleHint(), QFont::SansSerif);
        QCOMPARE(product->textFormat(), Qt::PlainText);

        QLabel* notice = nullptr;
        QLabel* icon = nullptr;
        for (auto* label : about.findChildren<QLabel*>()) {
            if (label->text().contains(QStringLiteral("2026")) &&
                label->text().contains(QStringLiteral("Veskaro Technology"))) {
                notice = label;
            }
            if (!label->pixmap().isNull()) {
                icon = label;
            }
        }
        QVERIFY(notice);
        QCOMPARE(notice->font(), about.font());
        QVERIFY(icon);
        QCOMPARE(icon->pixmap().toImage().pixelColor(10, 10), QColor(200, 30, 40));

        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        // Icon left of the texts, the product line above the notice.
        QVERIFY(icon->geometry().right() < product->geometry().left());
        QVERIFY(product->geometry().bottom() <= notice->geometry().top());

        const auto buttons = about.findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons[0]->text(), QStringLiteral("OK"));
        QVERIFY(buttons[0]->isDefault());
        buttons[0]->click();
        QCOMPARE(about.result(), int(QDialog::Accepted));
    }

    void helpFileBesideTheExecutable_data() {
        QTest::addColumn<QString>("executable");
        QTest::addColumn<QString>("help");
        QTest::newRow("no extension")
            << QStringLiteral("/usr/bin/tessaro") << QStringLiteral("/usr/bin/tessaro.chm");
        QTest::newRow("extension replaced")
            << QStringLiteral("/opt/z/a.exe") << QStringLiteral("/opt/z/a.chm");
        QTest::newRow("only the last extension")
            << QStringLiteral("/opt/z/tessaro.1.2.bin") << QStringLiteral("/opt/z/tessaro.1.2.chm");
        QTest::newRow("dot in a folder, none in the name")
            << QStringLiteral("/home/ann/apps.d/Zovi Tessaro 1.2/tessaro")
            << QStringLiteral("/home/ann/apps.d/Zovi Tessaro 1.2/tessaro.chm");
        QTest::newRow("dot in a folder and the name")
            << QStringLiteral("/home/ann/v1.2/tessaro.exe")
            << QStringLiteral("/home/ann/v1.2/tessaro.chm");
        QTest::newRow("trailing dot")
            << QStringLiteral("/x/tessaro.") << QStringLiteral("/x/tessaro.chm");
        QTest::newRow("drive") << QStringLiteral("C:/Program Files/Zovi/tessaro.exe")
                               << QStringLiteral("C:/Program Files/Zovi/tessaro.chm");
        QTest::newRow("bare name") << QStringLiteral("tessaro") << QStringLiteral("tessaro.chm");
        QTest::newRow("relative") << QStringLiteral("./build/a.exe")
                                  << QStringLiteral("./build/a.chm");
    }
    void helpFileBesideTheExecutable() {
        QFETCH(QString, executable);
        QFETCH(QString, help);
        QCOMPARE(tessaro::HelpFilePath(executable), help);
    }

    void helpAndWebSiteGoToTheDesktop() {
        UrlRecorder recorder;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
        QVERIFY(tessaro::OpenHelp());
        QVERIFY(tessaro::VisitMakerWebSite());
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

        QCOMPARE(recorder.urls.size(), 2);
        // This test's own executable has no extension here, so the name gets ".chm" appended.
        QCOMPARE(recorder.urls[0], QUrl::fromLocalFile(QCoreApplication::applicationDirPath() +
                                                       QStringLiteral("/about_help_tests.chm")));
        const QUrl site = recorder.urls[1];
        QCOMPARE(site, tessaro::kMakerWebSite);
        QCOMPARE(site.scheme(), QStringLiteral("https"));
        // Under a domain reserved for examples, so it never reaches a stranger's site.
        QVERIFY2(site.host().endsWith(QStringLiteral(".example.com")), qPrintable(site.host()));
    }
};

QTEST_MAIN(AboutHelpTest)
#include "AboutHelpTest.moc"
