// Adds 1,000 generated MP3 files, each with 300 KB of cover art in its leading tag, to the track
// list and paints the list; prints the time per file on the GUI thread, and until every file's
// figures, read beside it, are in. Run under QT_QPA_PLATFORM=offscreen.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

#include "view/CTessaroListBox.h"
#include "view/TrackListModel.h"
#include "workspace/TessaroWorkSpace.h"

namespace {

QByteArray SyncSafe(int size) {
    QByteArray bytes;
    for (int shift : {21, 14, 7, 0}) {
        bytes.append(char((size >> shift) & 0x7F));
    }
    return bytes;
}

QByteArray BigEndian(int value) {
    QByteArray bytes;
    for (int shift : {24, 16, 8, 0}) {
        bytes.append(char((value >> shift) & 0xFF));
    }
    return bytes;
}

// An ID3v2.3 tag with a title and a 300 KB JPEG-typed picture, then 2,000 frames of audio.
QByteArray MakeFile(int number) {
    QByteArray picture(300 * 1024, '\0');
    QRandomGenerator random(quint32(number + 1));
    random.fillRange(reinterpret_cast<quint32*>(picture.data()), picture.size() / 4);
    QByteArray apic = QByteArray("\0image/jpeg\0\x03\0", 14) + picture;
    const QByteArray title = QByteArray("\0Track ", 7) + QByteArray::number(number);
    QByteArray frames = "TIT2" + BigEndian(int(title.size())) + QByteArray(2, '\0') + title;
    frames += "APIC" + BigEndian(int(apic.size())) + QByteArray(2, '\0') + apic;
    QByteArray file = QByteArray("ID3\x03\x00\x00", 6) + SyncSafe(int(frames.size())) + frames;
    QByteArray frame("\xFF\xFB\x90\x64", 4);
    frame.append(QByteArray(413, '\x11'));
    return file + frame.repeated(2000);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    QTemporaryDir dir;
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const QString path =
            dir.filePath(QStringLiteral("track%1.mp3").arg(i, 4, 10, QLatin1Char('0')));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(MakeFile(i)) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        paths << path;
    }

    TrackListModel model;
    CTessaroListBox list(model);
    tessaro::TessaroWorkSpace workspace(model);
    list.resize(800, 600);
    list.show();
    QElapsedTimer timer;
    timer.start();
    for (const QString& path : std::as_const(paths)) {
        workspace.AddPath(path);
    }
    const qint64 added = timer.nsecsElapsed();
    list.scrollToBottom();
    list.viewport()->grab();
    const qint64 painted = timer.nsecsElapsed();
    while (model.FiguresPending()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    const qint64 read = timer.nsecsElapsed();

    std::printf("files:          %d (%.1f MB each)\n", count, MakeFile(0).size() / 1e6);
    std::printf("added:          %.3f s (%.2f ms per file)\n", added / 1e9, added / 1e6 / count);
    std::printf("added+painted:  %.3f s\n", painted / 1e9);
    std::printf("figures read:   %.3f s (%.2f ms per file)\n", read / 1e9, read / 1e6 / count);
    return 0;
}
