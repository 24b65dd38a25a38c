#include <QAction>
#include <QClipboard>
#include <QListWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "view/OutputPane.h"

namespace {

// The lines' texts without their time stamps.
QStringList Texts(const QStringList& lines) {
    QStringList texts;
    for (const QString& line : lines) {
        texts << line.mid(9);
    }
    return texts;
}

// The pane's context menu command of that name, its mnemonic left out.
QAction* Command(tessaro::OutputPane& pane, const QString& name) {
    for (QAction* action : pane.List().actions()) {
        if (action->text().remove(QLatin1Char('&')) == name) {
            return action;
        }
    }
    return nullptr;
}

// Dialogs that save to `target` and note each failure shown.
tessaro::LogDialogs Scripted(const QString& target, QStringList& failures) {
    return {[target](QWidget*) { return target; },
            [&failures](QWidget*, const QString& text) { failures << text; }};
}

}  // namespace

class OutputPaneTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void linesAreTimeStampedNewestFirstAndUnchanged() {
        tessaro::OutputPane pane;
        QCOMPARE(pane.windowTitle(), QStringLiteral("Output"));
        const QTime before = QTime::currentTime();
        pane.AppendLogLine(QStringLiteral("Create new workspace."));
        pane.AppendLogLine(QString());
        pane.AppendLogLine(QStringLiteral("  two blanks,\ta tab  "));
        const QTime after = QTime::currentTime();

        const QListWidget& list = pane.List();
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
            // A line too long for the pane is read whole in its tool tip.
            QCOMPARE(list.item(i)->data(Qt::ToolTipRole).toString(), list.item(i)->text());
        }
        QCOMPARE(list.item(1)->text().size(), 9);
    }

    // The list fills the dock itself, without a tab of its own, and offers its three commands.
    void listFillsThePaneWithItsCommands() {
        tessaro::OutputPane pane;
        QCOMPARE(pane.widget(), &pane.List());
        QCOMPARE(pane.List().contextMenuPolicy(), Qt::ActionsContextMenu);
        for (const char* name : {"Copy", "Clear", "Save Log…"}) {
            QVERIFY2(Command(pane, QString::fromUtf8(name)), name);
        }
    }

    // Copy takes the selected lines, else all of them, oldest first, one to a line; Ctrl+C in
    // the list does the same.
    void copyTakesTheSelectedLinesOrAllOldestFirst() {
        tessaro::OutputPane pane;
        for (const char* text : {"first", "second", "third"}) {
            pane.AppendLogLine(QString::fromLatin1(text));
        }
        QClipboard& clipboard = *QGuiApplication::clipboard();
        Command(pane, QStringLiteral("Copy"))->trigger();
        QCOMPARE(Texts(clipboard.text().split(QLatin1Char('\n'))),
                 QStringList({"first", "second", "third", ""}));
        QVERIFY(clipboard.text().endsWith(QLatin1String(":third\n")));

        pane.List().item(0)->setSelected(true);  // third
        pane.List().item(2)->setSelected(true);  // first
        Command(pane, QStringLiteral("Copy"))->trigger();
        QCOMPARE(Texts(clipboard.text().split(QLatin1Char('\n'))),
                 QStringList({"first", "third", ""}));

        clipboard.clear();
        pane.List().item(0)->setSelected(false);
        pane.show();
        QVERIFY(QTest::qWaitForWindowActive(&pane));
        pane.List().setFocus();
        QTest::keySequence(&pane.List(), QKeySequence::Copy);
        QCOMPARE(Texts(clipboard.text().split(QLatin1Char('\n'))), QStringList({"first", ""}));

        Command(pane, QStringLiteral("Clear"))->trigger();
        QCOMPARE(pane.List().count(), 0);
        Command(pane, QStringLiteral("Copy"))->trigger();
        QCOMPARE(clipboard.text(), QString());
    }

    // Saved as UTF-8, oldest first; a cancelled dialog writes nothing, a failure is told with
    // the system's reason.
    void saveLogWritesEveryLineOldestFirst() {
        QTemporaryDir dir;
        tessaro::OutputPane pane;
        pane.AppendLogLine(QStringLiteral("Größe geprüft"));
        pane.AppendLogLine(QStringLiteral("Joined \u266b"));
        pane.List().item(0)->setSelected(true);  // saving takes all the same
        QStringList failures;
        const QString target = dir.filePath(QStringLiteral("log.txt"));
        pane.SetDialogs(Scripted(target, failures));
        Command(pane, QStringLiteral("Save Log…"))->trigger();
        QFile saved(target);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(saved.readAll());
        QCOMPARE(text, pane.List().item(1)->text() + QLatin1Char('\n') +
                           pane.List().item(0)->text() + QLatin1Char('\n'));
        QVERIFY(failures.isEmpty());

        pane.SetDialogs(Scripted(QString(), failures));
        pane.SaveLog();
        QVERIFY(failures.isEmpty());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("log.txt")});

        const QString unreachable = dir.filePath(QStringLiteral("missing/log.txt"));
        pane.SetDialogs(Scripted(unreachable, failures));
        pane.SaveLog();
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures[0].contains(QDir::toNativeSeparators(unreachable)) &&
                     failures[0].contains(QLatin1String("No such file or directory")),
                 qPrintable(failures[0]));
        QVERIFY(!QFile::exists(unreachable));
    }
};

QTEST_MAIN(OutputPaneTest)
#include "OutputPaneTest.moc"
