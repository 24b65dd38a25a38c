#include <QRegularExpression>
#include <QtTest>

#include "dialogs/COutputWnd.h"

using namespace tessaro;

class OutputWndTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void linesAreTimeStampedNewestFirstAndUnchanged() {
        COutputWnd pane;
        QCOMPARE(pane.windowTitle(), QStringLiteral("Output"));
        const QTime before = QTime::currentTime();
        pane.AppendLogLine(QStringLiteral("Create new workspace."));
        pane.AppendLogLine(QString());
        pane.AppendLogLine(QStringLiteral("  two blanks,\ta tab  "));
        const QTime after = QTime::currentTime();

        const COutputList& list = pane.List();
        QCOMPARE(list.count(), 3);
        const QRegularExpression stamp(QStringLiteral("^(\\d\\d:\\d\\d:\\d\\d):(.*)$"),
                                       QRegularExpression::DotMatchesEverythingOption);
        const QStringList texts{QStringLiteral("  two blanks,\ta tab  "), QString(),
                                QStringLiteral("Create new workspace.")};
        for (int i = 0; i < 3; ++i) {
            const QRegularExpressionMatch match = stamp.match(list.item(i)->text());
            QVERIFY2(match.hasMatch(), qPrintable(list.item(i)->text()));
            QCOMPARE(match.captured(2), texts[i]);
            const QTime time = QTime::fromString(match.captured(1), QStringLiteral("HH:mm:ss"));
            QVERIFY(time.isValid());
            QVERIFY(time >= before.addMSecs(-before.msec()) && time <= after);
        }
        QCOMPARE(list.item(1)->text().size(), 9);
    }

    void oneDebugTabAtTheBottom() {
        COutputWnd pane;
        auto* tabs = qobject_cast<QTabWidget*>(pane.widget());
        QVERIFY(tabs);
        QCOMPARE(tabs->count(), 1);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Debug"));
        QCOMPARE(tabs->tabPosition(), QTabWidget::South);
        QCOMPARE(tabs->widget(0), &pane.List());
        QCOMPARE(pane.List().contextMenuPolicy(), Qt::NoContextMenu);
    }
};

QTEST_MAIN(OutputWndTest)
#include "OutputWndTest.moc"
