// The track list at 2,000 and at 20,000 entries (or the counts given as arguments): the time per
// entry of adding the files one by one at the end (on the GUI thread, then until every file's
// facts, read beside it, are in and shown), of reversing the order with a tenth of the entries
// selected, of reading the total after each file, and of removing every other entry. A time per
// entry that stays level from the small list to the large one is linear. Then, in milliseconds
// for the whole list, the window's steps on it once inserted at once and read: Select All,
// removing all, undoing that, removing every other entry and undoing that. Run under
// QT_QPA_PLATFORM=offscreen.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QUndoStack>
#include <cstdio>
#include <functional>

#include "app/WorkspaceCommands.h"
#include "view/TrackListView.h"

namespace {

// A small file that reads like a tagged album track: a title and a track number, then a second of
// 128 kbit/s audio.
QByteArray MakeFile(int number) {
    const auto frame = [](const char* id, const QByteArray& text) {
        const QByteArray body = '\0' + text;
        QByteArray size;
        for (int shift : {24, 16, 8, 0}) {
            size.append(char((body.size() >> shift) & 0xFF));
        }
        return QByteArray(id) + size + QByteArray(2, '\0') + body;
    };
    const QByteArray frames = frame("TIT2", "Track " + QByteArray::number(number)) +
                              frame("TRCK", QByteArray::number(number % 99 + 1));
    QByteArray file("ID3\x03\x00\x00\x00\x00", 8);
    file.append(char((frames.size() >> 7) & 0x7F)).append(char(frames.size() & 0x7F));
    QByteArray audio("\xFF\xFB\x90\x64", 4);
    audio.append(QByteArray(413, '\x11'));
    return file + frames + audio.repeated(38);
}

struct Times {
    double added, read, arranged, totals, removed;  // ns per entry
};

Times Measure(const QStringList& paths) {
    tessaro::TrackListModel model;
    tessaro::TrackListView list(model);
    list.resize(800, 600);
    list.show();
    const double count = paths.size();
    QElapsedTimer timer;
    timer.start();
    for (const QString& path : paths) {
        model.Insert(model.Count(), {path});
    }
    Times times{};
    times.added = timer.nsecsElapsed() / count;
    while (model.FiguresPending()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    list.viewport()->grab();
    times.read = timer.nsecsElapsed() / count;

    QList<int> selected, reversed;
    for (int row = 0; row < model.Count(); ++row) {
        if (row % 10 == 0) {
            selected << row;
        }
        reversed.prepend(row);
    }
    list.SelectRows(selected);
    timer.restart();
    model.Arrange(reversed);
    times.arranged = timer.nsecsElapsed() / count;

    // As the status bar does after each file comes in.
    timer.restart();
    double sum = 0;
    for (int row = 0; row < model.Count(); ++row) {
        sum += model.TotalSeconds();
    }
    times.totals = timer.nsecsElapsed() / count;

    QList<int> everyOther;
    for (int row = 0; row < model.Count(); row += 2) {
        everyOther << row;
    }
    timer.restart();
    model.Remove(everyOther);
    times.removed = timer.nsecsElapsed() / count;
    if (sum <= 0 || list.SelectedRows().size() != 0) {
        std::fprintf(stderr, "unexpected list state\n");
    }
    return times;
}

struct StepTimes {
    double selectAll, removeAll, undoAll, removeAlternate, undoAlternate;  // ms for the list
};

StepTimes MeasureSteps(const QStringList& paths) {
    tessaro::TrackListModel model;
    tessaro::TrackListView list(model);
    list.resize(800, 600);
    list.show();
    tessaro::OutputTag tag;
    tessaro::MoreTagFields moreTag;
    QString file, cover, chapterFile;
    QStringList chapterTitles;
    const tessaro::WorkspaceParts parts{model, list,  tag,         moreTag,
                                        file,  cover, chapterFile, chapterTitles};
    QUndoStack stack;
    stack.push(new tessaro::InsertTracks(QStringLiteral("Insert"), parts, 0, paths));
    while (model.FiguresPending()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    QElapsedTimer timer;
    // Each step until the list is painted as it then is.
    const auto milliseconds = [&](const std::function<void()>& step) {
        timer.restart();
        step();
        list.viewport()->grab();
        return timer.nsecsElapsed() / 1e6;
    };
    const auto remove = [&] {
        stack.push(new tessaro::RemoveTracks(QStringLiteral("Remove"), parts, list.SelectedRows()));
    };
    StepTimes times{};
    times.selectAll = milliseconds([&] { list.selectAll(); });
    times.removeAll = milliseconds(remove);
    times.undoAll = milliseconds([&] { stack.undo(); });
    QList<int> everyOther;
    for (int row = 0; row < model.Count(); row += 2) {
        everyOther << row;
    }
    list.SelectRows(everyOther);
    times.removeAlternate = milliseconds(remove);
    times.undoAlternate = milliseconds([&] { stack.undo(); });
    if (model.Count() != paths.size() || list.SelectedRows() != everyOther) {
        std::fprintf(stderr, "unexpected list state after the steps\n");
    }
    return times;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int small = argc > 1 ? QByteArray(argv[1]).toInt() : 2000;
    const int large = argc > 2 ? QByteArray(argv[2]).toInt() : 20000;
    QTemporaryDir dir;
    QStringList paths;
    for (int i = 0; i < large; ++i) {
        const QString path =
            dir.filePath(QStringLiteral("track%1.mp3").arg(i, 5, 10, QLatin1Char('0')));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(MakeFile(i)) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        paths << path;
    }
    std::printf("%-8s %12s %12s %12s %12s %12s   (microseconds per entry)\n", "entries", "add",
                "add+read", "reverse", "total", "remove half");
    for (const int count : {small, large}) {
        const Times t = Measure(paths.mid(0, count));
        std::printf("%-8d %12.2f %12.2f %12.3f %12.4f %12.2f\n", count, t.added / 1e3, t.read / 1e3,
                    t.arranged / 1e3, t.totals / 1e3, t.removed / 1e3);
    }
    std::printf("\n%-8s %12s %12s %12s %12s %12s   (milliseconds for the list)\n", "entries",
                "select all", "remove all", "undo", "remove alt.", "undo");
    for (const int count : {small, large}) {
        const StepTimes t = MeasureSteps(paths.mid(0, count));
        std::printf("%-8d %12.1f %12.1f %12.1f %12.1f %12.1f\n", count, t.selectAll, t.removeAll,
                    t.undoAll, t.removeAlternate, t.undoAlternate);
    }
    return 0;
}
