// Merges the given MP3 files through the main window's Merge command (offscreen) and prints how
// long it took, from the command until the finish message was handled.
// Usage: bench_window_merge OUTPUT INPUT...

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "app/MainWindow.h"
#include "app/WindowDialogs.h"
#include "app/WorkspaceDocument.h"
#include "view/TrackListModel.h"

namespace {

// Answers the save dialog with the output path; nothing else is asked.
class FixedAnswer : public tessaro::WindowDialogs {
public:
    explicit FixedAnswer(QString output) : output(std::move(output)) {}
    QString GetOpenFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QStringList GetOpenFileNames(QWidget*, const QString&, const QString&) override { return {}; }
    QString GetExistingFolder(QWidget*) override { return {}; }
    QString GetSaveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return output;
    }
    Answer AskToSave(QWidget*, const QString&) override { return Answer::Discard; }
    void ShowMessage(QWidget*, Icon, const QString&, const QString& text) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    bool Confirm(QWidget*, const QString&, const QString&, const QString&,
                 const QString&) override {
        return false;
    }
    void WithdrawQuestion() override {}

private:
    QString output;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: bench_window_merge OUTPUT INPUT...\n");
        return 2;
    }
    tessaro::MainWindow frame;
    frame.SetDialogs(std::make_unique<FixedAnswer>(arguments[1]));
    frame.Document().Tracks().Insert(0, arguments.mid(2));
    frame.show();

    QElapsedTimer timer;
    timer.start();
    frame.Action(QStringLiteral("merge"))->trigger();
    while (frame.IsMerging()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    std::printf("%.3f\n", timer.nsecsElapsed() / 1e9);
    return 0;
}
