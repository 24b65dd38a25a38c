#include <QAccessible>
#include <QPainter>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "TestFiles.h"
#include "mp3/ListFigures.h"
#include "mp3/XingHeader.h"
#include "view/TrackListView.h"
#include "workspace/Exception.h"
#include "workspace/TrackOrder.h"

using namespace testing_files;
using tessaro::MoveRowsBefore;
using tessaro::TrackListModel;
using tessaro::TrackListView;

class TrackListViewTest : public QObject {
    Q_OBJECT

private:
    QString Write(const QString& name, const QByteArray& bytes) {
        return WriteAll(dir.filePath(name), bytes);
    }
    // `frames` frames of 128 kbit/s audio (26 ms each) behind a tag with these frames.
    QString Tagged(const QString& name, const QByteArray& tagFrames, int frames) {
        return Write(name, Id3v2Of(3, tagFrames) + Mp3Frame().repeated(frames));
    }
    // Adds the files and waits until their facts have been read.
    static void AddRead(TrackListModel& model, const QStringList& paths) {
        model.Insert(model.Count(), paths);
        QTRY_VERIFY(!model.FiguresPending());
    }
    // Every `step`th row, from the first.
    static QList<int> RowsOf(const TrackListModel& model, int step) {
        QList<int> rows;
        for (int row = 0; row < model.Count(); row += step) {
            rows << row;
        }
        return rows;
    }
    static double SumOfDurations(const TrackListModel& model) {
        double sum = 0;
        for (int row = 0; row < model.Count(); ++row) {
            sum += model.Track(row).duration;
        }
        return sum;
    }
    static bool HasPixelDarkerThan(const QImage& image, const QRect& area, int level) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (qGray(image.pixel(x, y)) < level) {
                    return true;
                }
            }
        }
        return false;
    }
    // As WCAG reckons it.
    static double Contrast(const QColor& a, const QColor& b) {
        const auto luminance = [](const QColor& c) {
            const auto linear = [](double v) {
                return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) +
                   0.0722 * linear(c.blueF());
        };
        const double one = luminance(a) + 0.05, other = luminance(b) + 0.05;
        return qMax(one, other) / qMin(one, other);
    }
    // The strongest contrast of a pixel of `area` with `background`: that of the letters' cores.
    static double TextContrast(const QImage& image, const QRect& area, const QColor& background) {
        double strongest = 1;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                strongest = qMax(strongest, Contrast(image.pixelColor(x, y), background));
            }
        }
        return strongest;
    }
    // As dark desktop themes give it; the placeholder colour is left at its light default.
    static QPalette Dark() {
        QPalette palette;
        palette.setColor(QPalette::Window, QColor(53, 53, 53));
        palette.setColor(QPalette::Base, QColor(35, 35, 38));
        palette.setColor(QPalette::Text, QColor(230, 230, 230));
        palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
        palette.setColor(QPalette::HighlightedText, Qt::white);
        return palette;
    }
    static QPalette LightFusion() {
        const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        return fusion->standardPalette();
    }
    static QImage Shown(const TrackListView& list) { return list.viewport()->grab().toImage(); }

    QTemporaryDir dir;

private Q_SLOTS:
    void formatDuration() {
        QCOMPARE(TrackListModel::FormatDuration(187), QStringLiteral("00:03:07"));
        QCOMPARE(TrackListModel::FormatDuration(360000), QStringLiteral("100:00:00"));
        QCOMPARE(TrackListModel::FormatDuration(0), QStringLiteral("00:00:00"));
        QCOMPARE(TrackListModel::FormatDuration(3599), QStringLiteral("00:59:59"));
    }

    void playingTimeAndBitrateAsPlayersTellThem() {
        QByteArray bytes;
        while (bytes.size() + 417 <= 1000000) {
            bytes += Mp3Frame();
        }
        bytes.append(QByteArray(1000000 - bytes.size(), '\0'));
        const mp3::Figures info = mp3::ProbeFigures(Write(QStringLiteral("m.mp3"), bytes));
        QCOMPARE(info.bitrate, 128000);
        QCOMPARE(TrackListModel::FormatDuration(qint32(info.duration)), QStringLiteral("00:01:02"));
        // A large cover in front and an ID3v1 tag behind add no time.
        const mp3::Figures covered = mp3::ProbeFigures(
            Write(QStringLiteral("covered.mp3"), Id3v2Tag("t", 300000) + bytes + Id3v1Tag("t")));
        QCOMPARE(covered.duration, info.duration);

        // Variable bitrate (64 and 256 kbit/s by turns) under a header that counts the frames:
        // their time and mean bitrate, not the first frame's.
        QByteArray vbr;
        for (int i = 0; i < 600; ++i) {
            vbr += MakeFrame(3, 1, i % 2 ? 5 : 13, 0, 0, 3);
        }
        QByteArray head =
            mp3::XingHeader::NewFrame(reinterpret_cast<const quint8*>(vbr.constData()), false);
        auto* data = reinterpret_cast<quint8*>(head.data());
        const quint64 all = quint64(head.size() + vbr.size());
        mp3::XingHeader::Find(data, qint32(head.size()))
            ->Describe(data, {600, all, {}, 0, 0, false});
        const mp3::Figures variable =
            mp3::ProbeFigures(Write(QStringLiteral("vbr.mp3"), head + vbr));
        QCOMPARE(qRound(variable.duration * 1000), qRound(600 * 1152 / 44.1));
        QCOMPARE(variable.bitrate, 160000);
        QCOMPARE(TrackListModel::InfoLine(variable), QStringLiteral("44100 Hz  160 kbps  Mono"));

        // LAME's files: the encoder's delay and padding are no playing time.
        const mp3::Figures lame = mp3::ProbeFigures(Fixture(QStringLiteral("vbr_mono.mp3")));
        QCOMPARE(qRound(lame.duration * 1000), 600);  // mpg123's length of it
    }

    void infoLines() {
        // channel modes 3 (mono), 1 (joint stereo) and 2 (dual channel)
        const auto line = [&](const char* name, const QByteArray& bytes) {
            return TrackListModel::InfoLine(mp3::ProbeFigures(Write(QLatin1String(name), bytes)));
        };
        QCOMPARE(line("mono.mp3", MakeFrame(3, 1, 9, 0, 0, 3)),
                 QStringLiteral("44100 Hz  128 kbps  Mono"));
        QCOMPARE(line("joint.mp3", MakeFrame(2, 1, 8, 0, 0, 1)),
                 QStringLiteral("22050 Hz  64 kbps  Stereo"));
        QCOMPARE(line("dual.mp3", MakeFrame(3, 1, 14, 1, 0, 2)),
                 QStringLiteral("48000 Hz  320 kbps  Stereo"));
        // A free-format frame first: the figures come from the first frame with a bitrate.
        QCOMPARE(line("free.mp3", MakeFrame(3, 1, 0, 1, 0, 3) + MakeFrame(2, 1, 8, 0, 0, 0)),
                 QStringLiteral("22050 Hz  64 kbps  Stereo"));
        QCOMPARE(
            TrackListModel::InfoLine(mp3::ProbeFigures(Fixture(QStringLiteral("mpeg25_8k.mp3")))),
            QStringLiteral("8000 Hz  8 kbps  Mono"));
    }

    void theTagsDiscTrackAndTitleLeadTheInfoLine() {
        TrackListModel model;
        AddRead(model, {Tagged(QStringLiteral("all.mp3"),
                               PlainFrame(3, "TPOS", "2/3") + PlainFrame(3, "TRCK", "3/12") +
                                   PlainFrame(3, "TIT2", "Intro"),
                               10),
                        Tagged(QStringLiteral("number.mp3"), PlainFrame(3, "TRCK", "7"), 10),
                        Tagged(QStringLiteral("title.mp3"), PlainFrame(3, "TIT2", "Song"), 10),
                        Write(QStringLiteral("v1.mp3"), Mp3Frame().repeated(10) + Id3v1Tag("Old")),
                        Tagged(QStringLiteral("noaudio.mp3"), PlainFrame(3, "TRCK", "4"), 0)});
        const QString figures = QStringLiteral("44100 Hz  128 kbps  Stereo");
        const auto line = [&](int row) { return TrackListModel::InfoLine(model.Track(row)); };
        QCOMPARE(line(0), QStringLiteral("Disc 2 \u00B7 Track 3 \u00B7 Intro \u2014 ") + figures);
        QCOMPARE(model.Track(0).track, 3);
        QCOMPARE(line(1), QStringLiteral("Track 7 \u2014 ") + figures);
        QCOMPARE(line(2), QStringLiteral("Song \u2014 ") + figures);
        QCOMPARE(line(3), QStringLiteral("Old \u2014 ") + figures);
        QCOMPARE(line(4), QStringLiteral("Track 4 \u2014 No MPEG audio frames found"));
        QCOMPARE(model.data(model.index(0), Qt::AccessibleDescriptionRole).toString(),
                 QStringLiteral("00:00:00, ") + line(0));
    }

    void filesWithoutFiguresSayWhyAndShowNoNumbers() {
        const mp3::Figures missing = mp3::ProbeFigures(dir.filePath(QStringLiteral("none.mp3")));
        QVERIFY(TrackListModel::InfoLine(missing).startsWith(QStringLiteral("Cannot open")));
        QCOMPARE(missing.duration, 0.0);
        const mp3::Figures text =
            mp3::ProbeFigures(Write(QStringLiteral("notes.mp3"), "plain text, no audio"));
        QCOMPARE(TrackListModel::InfoLine(text), QStringLiteral("No MPEG audio frames found"));
        const mp3::Figures free = mp3::ProbeFigures(
            Write(QStringLiteral("free.mp3"), QByteArray("\xFF\xFB\x00\x00", 4).repeated(5)));
        QVERIFY(TrackListModel::InfoLine(free).startsWith(QStringLiteral("No MPEG audio")));
    }

    void factsAreReadOffTheGuiThreadOnceAndReorderingKeepsThem() {
        TrackListModel model;
        const QString a = Write(QStringLiteral("notes.mp3"), "plain text, no audio");
        const QString b = Write(QStringLiteral("b.mp3"), Mp3Frame().repeated(200));
        model.Insert(0, {a, b});
        // Not read yet: the insert returned without touching the file's audio.
        QVERIFY(!model.Track(0).read);
        QVERIFY(model.FiguresPending());
        QCOMPARE(model.Track(0).name, QStringLiteral("notes"));
        QCOMPARE(model.data(model.index(0), Qt::AccessibleDescriptionRole).toString(), QString());
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QTRY_VERIFY(!model.FiguresPending());
        QCOMPARE(changed.count(), 2);
        QCOMPARE(TrackListModel::InfoLine(model.Track(0)),
                 QStringLiteral("No MPEG audio frames found"));
        QCOMPARE(qRound(model.Track(1).duration), 5);

        // The file changes on disk; reordering reads nothing and keeps what was shown.
        WriteAll(b, Mp3Frame().repeated(400));
        model.Arrange({1, 0});
        model.Arrange({1, 0});
        model.Arrange({1, 0});
        QVERIFY(!model.FiguresPending());
        QCOMPARE(model.Paths(), (QStringList{b, a}));
        QCOMPARE(qRound(model.Track(0).duration), 5);
        // The same file added again shows the figures at once.
        model.Insert(2, {b});
        QVERIFY(model.Track(2).read);
        QVERIFY(!model.FiguresPending());
    }

    // Each entry read is compared in format with the first one, once that is read; one that
    // cannot be read has no format to differ in.
    void formatsUnlikeTheFirstAreThoseOfEntriesRead() {
        TrackListModel model;
        const QString stereo = Fixture(QStringLiteral("cbr128_stereo.mp3"));
        // Another sampling rate and MPEG version; another layer alone.
        AddRead(model, {stereo, Fixture(QStringLiteral("mpeg2_22k.mp3")), stereo,
                        dir.filePath(QStringLiteral("gone.mp3")),
                        Fixture(QStringLiteral("layer2_quiet.mp2"))});
        QCOMPARE(model.FormatsUnlikeFirst(), 2);
        // One channel: unlike all but the missing one.
        model.Insert(0, {Fixture(QStringLiteral("vbr_mono.mp3"))});
        QVERIFY(!model.Track(0).read);
        QCOMPARE(model.FormatsUnlikeFirst(), 0);
        QTRY_VERIFY(!model.FiguresPending());
        QCOMPARE(model.FormatsUnlikeFirst(), 4);
    }

    void rowsAndOrdersOutsideTheListAreRefusedChangingNothing() {
        TrackListModel model;
        model.Insert(0, {QStringLiteral("/a.mp3"), QStringLiteral("/b.mp3")});
        const QStringList paths = model.Paths();
        QCOMPARE(model.Track(1).path, QStringLiteral("/b.mp3"));
        QVERIFY_THROWS_EXCEPTION(x::BadBound, model.Track(2));
        QVERIFY_THROWS_EXCEPTION(x::BadBound, model.Track(-1));
        QVERIFY_THROWS_EXCEPTION(x::BadBound, model.Insert(3, {QStringLiteral("/c.mp3")}));
        QVERIFY_THROWS_EXCEPTION(x::BadBound, model.Insert(-1, {QStringLiteral("/c.mp3")}));
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QVERIFY_THROWS_EXCEPTION(x::BadBound, model.Remove({0, 2}));
        QVERIFY_THROWS_EXCEPTION(x::BadBound, model.Remove({-1}));
        QVERIFY_THROWS_EXCEPTION(x::BadBound, model.Remove({1, 1}));
        QCOMPARE(removed.count(), 0);
        for (const QList<int>& order : {QList<int>{0}, QList<int>{0, 0}, QList<int>{1, 2},
                                        QList<int>{0, 1, 2}, QList<int>{-1, 0}}) {
            QVERIFY_THROWS_EXCEPTION(x::BadBound, model.Arrange(order));
        }
        QCOMPARE(model.Paths(), paths);
        // The base class's removeRows stays a no-op: Qt calls it after a move drop, which the
        // window has carried out already.
        QVERIFY(!model.removeRows(0, 1));
        QCOMPARE(model.Count(), 2);
    }

    void factsReachEveryRowOfTheirPathWhereverItMovedMeanwhile() {
        TrackListModel model;
        QHash<QString, int> seconds;  // of each file
        const auto file = [&](const char* name, int frames) {
            const QString path = Write(QLatin1String(name), Mp3Frame().repeated(frames));
            seconds[path] = qRound(frames * 1152 / 44100.0);
            return path;
        };
        const QString s = file("s.mp3", 40), l = file("l.mp3", 400), o = file("o.mp3", 100),
                      p = file("p.mp3", 200), q = file("q.mp3", 300), r = file("r.mp3", 160);
        QSignalSpy totals(&model, &TrackListModel::totalsChanged);
        // Each change is made before the facts of the files it holds come in.
        const auto check = [&](const QStringList& paths) {
            QTRY_VERIFY(!model.FiguresPending());
            QCOMPARE(model.Paths(), paths);
            for (int row = 0; row < model.Count(); ++row) {
                QVERIFY(model.Track(row).read);
                QCOMPARE(qRound(model.Track(row).duration), seconds[model.Track(row).path]);
            }
            QCOMPARE(model.TotalSeconds(), SumOfDurations(model));
        };
        model.Insert(0, {s, l, o, l});
        model.Arrange({3, 2, 1, 0});
        check({l, o, l, s});
        model.Insert(4, {p, q});
        model.Remove({0});
        check({o, l, s, p, q});
        model.Reset({});
        model.Insert(0, {p});
        model.Insert(0, {r, q, r});
        check({r, q, r, p});
        QVERIFY(totals.count() >= 9);  // each change, and each delivery at least once
    }

    void theTotalFollowsEveryChangeOfTheRows() {
        TrackListModel model;
        const QString a = Write(QStringLiteral("a.mp3"), Mp3Frame().repeated(200));
        const QString b = Write(QStringLiteral("b.mp3"), Mp3Frame().repeated(100));
        QCOMPARE(model.TotalSeconds(), 0.0);
        AddRead(model, {a, b, a});
        const double each = model.Track(0).duration, other = model.Track(1).duration;
        QCOMPARE(model.TotalSeconds(), SumOfDurations(model));
        QSignalSpy totals(&model, &TrackListModel::totalsChanged);
        model.Insert(1, {b});  // read already: counted at once
        QCOMPARE(totals.count(), 1);
        QCOMPARE(model.TotalSeconds(), 2 * each + 2 * other);
        model.Remove({3, 0});
        QCOMPARE(totals.count(), 2);
        QCOMPARE(model.TotalSeconds(), 2 * other);
        model.Arrange({1, 0});
        QCOMPARE(model.TotalSeconds(), 2 * other);
        model.Remove({0, 1});
        QCOMPARE(model.TotalSeconds(), 0.0);  // exactly: no rounding left behind
        model.Reset({a});
        QCOMPARE(totals.count(), 4);
        QTRY_COMPARE(model.TotalSeconds(), each);
        model.Reset({});
        QCOMPARE(model.TotalSeconds(), 0.0);
        QCOMPARE(model.Count(), 0);
    }

    void arrangeIsOneLayoutChangeAndTheSelectionFollowsItsEntries() {
        TrackListModel model;
        TrackListView list(model);
        QStringList paths;
        for (const char* name : {"/a.mp3", "/b.mp3", "/c.mp3", "/d.mp3", "/e.mp3"}) {
            paths << QLatin1String(name);
        }
        model.Reset(paths);
        list.SelectRows({3, 1});
        QCOMPARE(list.currentIndex().row(), 3);
        QSignalSpy layouts(&model, &QAbstractItemModel::layoutChanged);
        QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
        const QList<int> order = MoveRowsBefore(5, {1, 3}, 0).order;
        QCOMPARE(order, (QList<int>{1, 3, 0, 2, 4}));
        model.Arrange(order);
        QCOMPARE(layouts.count(), 1);
        QCOMPARE(moved.count(), 0);
        QCOMPARE(list.SelectedRows(), (QList<int>{0, 1}));
        QCOMPARE(list.currentIndex().row(), 1);  // d, current before, is current still
        QCOMPARE(model.Paths().mid(0, 2), (QStringList{paths[1], paths[3]}));
        // To the end, and before a row of their own.
        QCOMPARE(MoveRowsBefore(5, {0, 2}, 5).order, (QList<int>{1, 3, 4, 0, 2}));
        QCOMPARE(MoveRowsBefore(5, {1, 3}, 3).order, (QList<int>{0, 2, 1, 3, 4}));
        QVERIFY_THROWS_EXCEPTION(x::BadBound, MoveRowsBefore(5, {5}, 0).order);

        // A removal leaves nothing selected, whatever the order the rows are given in.
        model.Remove({4, 0, 2});
        QCOMPARE(model.Paths(), (QStringList{paths[3], paths[2]}));
        QVERIFY(list.SelectedRows().isEmpty());
    }

    // A selection is one range per run of neighbours. Few runs go one removal each; many
    // scattered rows go at once by a reset that leaves the list scrolled where it was and, as
    // any removal does, nothing selected.
    void selectionsAreRunsAndScatteredRowsGoAtOnceKeepingTheListsPlace() {
        TrackListModel model;
        TrackListView list(model);
        list.resize(300, 200);
        QStringList paths;
        for (int i = 0; i < 1000; ++i) {
            paths << QStringLiteral("/missing/t%1.mp3").arg(i);
        }
        model.Reset(paths);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.SelectRows({5, 3, 4, 9, 10, 0});
        QCOMPARE(list.selectionModel()->selection().size(), 3);
        QCOMPARE(list.SelectedRows(), (QList<int>{0, 3, 4, 5, 9, 10}));
        QCOMPARE(list.currentIndex().row(), 5);

        QSignalSpy removals(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        model.Remove({998, 999, 0, 1});
        QCOMPARE(removals.count(), 2);
        QCOMPARE(model.Paths().first(), paths[2]);

        const QStringList before = model.Paths();
        list.SelectRows({2, 3});
        list.scrollTo(model.index(501), QAbstractItemView::PositionAtTop);
        QCOMPARE(list.indexAt(QPoint(0, 0)).row(), 501);
        QList<int> odd;
        for (int row = 1; row < model.Count(); row += 2) {
            odd << row;
        }
        model.Remove(odd);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(removals.count(), 2);
        QCOMPARE(model.Count(), 498);
        // The entry at the top went: the one after it, at 502 before, is at the top now.
        QCOMPARE(list.indexAt(QPoint(0, 0)).row(), model.Paths().indexOf(before[502]));
        QVERIFY(list.SelectedRows().isEmpty());
        QVERIFY(!list.currentIndex().isValid());
    }

    // What Remove takes out comes back where it stood, its facts with it: the total is whole at
    // once, with no file read again.
    void restoredEntriesKeepTheirFactsByRunsOrAtOnce() {
        TrackListModel model;
        const QString a = Write(QStringLiteral("a.mp3"), Mp3Frame().repeated(200));
        const QString b = Write(QStringLiteral("b.mp3"), Mp3Frame().repeated(100));
        QStringList files;
        for (int i = 0; i < 100; ++i) {
            files << a << b;
        }
        AddRead(model, files);
        const QStringList paths = model.Paths();
        const double total = model.TotalSeconds();
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy insertions(&model, &QAbstractItemModel::rowsInserted);
        for (const QList<int>& rows : {QList<int>{0, 1, 7, 199}, RowsOf(model, 2)}) {
            std::vector<tessaro::TrackInfo> taken;
            for (int row : rows) {
                taken.push_back(model.Track(row));
            }
            model.Remove(rows);
            model.Restore(rows, std::move(taken));
            QCOMPARE(model.Paths(), paths);
            QVERIFY(!model.FiguresPending());
            QCOMPARE(model.TotalSeconds(), total);
        }
        QCOMPARE(insertions.count(), 3);
        QCOMPARE(resets.count(), 2);
        QVERIFY_THROWS_EXCEPTION(x::BadBound, model.Restore({201}, {model.Track(0)}));
        QVERIFY_THROWS_EXCEPTION(x::BadBound, model.Restore({0, 0}, {model.Track(0), {}}));
    }

    void entriesAreReadableAndTheSelectionShowsInLightAndDarkPalettes() {
        TrackListModel model;
        TrackListView list(model);
        // Letters large enough that their strokes hold pixels of the pen's own colour.
        QFont large = list.font();
        large.setPixelSize(24);
        list.setFont(large);
        list.resize(700, 400);
        AddRead(model, {Tagged(QStringLiteral("a.mp3"),
                               PlainFrame(3, "TRCK", "3") + PlainFrame(3, "TIT2", "Intro"), 200),
                        Fixture(QStringLiteral("vbr_mono.mp3"))});
        list.SelectRows({1});
        list.show();
        QVERIFY(QTest::qWaitForWindowActive(&list));
        for (const QPalette& palette : {LightFusion(), Dark()}) {
            list.setPalette(palette);
            const QImage image = Shown(list);
            const QColor base = palette.color(QPalette::Base);
            QColor fills[2];
            for (int row : {0, 1}) {
                const QRect entry = list.visualRect(model.index(row));
                const QColor fill = image.pixelColor(entry.topRight());
                fills[row] = fill;
                // Inside the focus frame, drawn in the text's colour.
                const int h = entry.height(), w = entry.width(), top = entry.top() + 5;
                const int half = h / 2 - 5;
                const double name = TextContrast(image, QRect(h, top, w / 2 - h, half), fill);
                const double info =
                    TextContrast(image, QRect(h, top + half, w / 2 - h, half), fill);
                const double time =
                    TextContrast(image, QRect(w * 3 / 4, top, w / 4 - 5, 2 * half), fill);
                QVERIFY2(
                    name >= 4.5 && info >= 4.5 && time >= 4.5,
                    qPrintable(
                        QStringLiteral("row %1: %2 %3 %4").arg(row).arg(name).arg(info).arg(time)));
                // Dimmer, yet readable, where the fill leaves room for two shades.
                QVERIFY(row == 1 ? info <= name : info < name);
            }
            QCOMPARE(fills[0], base);
            // The selection stands out from the rest of the list.
            QVERIFY(Contrast(fills[1], base) > 2);
            // Below the entries, the list's own ground.
            QCOMPARE(image.pixelColor(image.width() / 2, image.height() - 5), base);
        }
    }

    void entriesTellAssistiveToolsTheirNameTimeAndFiguresAndTheToolTipThePath() {
        TrackListModel model;
        TrackListView list(model);
        const QString five = Write(QStringLiteral("five seconds.mp3"), Mp3Frame().repeated(200));
        AddRead(model, {five, dir.filePath(QStringLiteral("gone.mp3"))});
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(&list);
        QVERIFY(view);
        QCOMPARE(view->childCount(), 2);
        QCOMPARE(view->child(0)->text(QAccessible::Name), QStringLiteral("five seconds"));
        QCOMPARE(view->child(0)->text(QAccessible::Description),
                 QStringLiteral("00:00:05, 44100 Hz  128 kbps  Stereo"));
        QCOMPARE(view->child(1)->text(QAccessible::Name), QStringLiteral("gone"));
        QVERIFY(view->child(1)
                    ->text(QAccessible::Description)
                    .startsWith(QStringLiteral("00:00:00, Cannot open")));
        QCOMPARE(model.index(0).data(Qt::ToolTipRole).toString(), QDir::toNativeSeparators(five));
    }

    void entriesGrowWithTheFont() {
        TrackListModel model;
        TrackListView list(model);
        list.resize(400, 300);
        AddRead(model, {Fixture(QStringLiteral("cbr128_stereo.mp3")),
                        Fixture(QStringLiteral("vbr_mono.mp3"))});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const auto height = [&] { return list.visualRect(model.index(1)).top(); };
        const auto lettersHeight = [&] {
            // The rows of the name's letters in the first entry, left of the time.
            const QImage image = Shown(list);
            int rows = 0;
            for (int y = 0; y < height(); ++y) {
                rows += HasPixelDarkerThan(image, QRect(height(), y, 150, 1), 60);
            }
            return rows;
        };
        const int small = height(), smallLetters = lettersHeight();
        QVERIFY(small >= 32);  // the icon's
        const QFont original = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(original); });
        QFont large = original;
        large.setPointSizeF(original.pointSizeF() * 2.5);
        QApplication::setFont(large);
        QTRY_VERIFY(height() > small * 3 / 2);
        QTRY_VERIFY(lettersHeight() > smallLetters * 3 / 2);
        // Smaller than the icon: the entry still holds it.
        QFont tiny = original;
        tiny.setPointSizeF(4);
        QApplication::setFont(tiny);
        QTRY_VERIFY(height() <= small);
        QVERIFY(height() >= 32);
    }

    void aLongNameEndsWithAnEllipsisBeforeTheTime() {
        TrackListModel model;
        TrackListView list(model);
        list.resize(400, 200);
        AddRead(model, {Write(QStringLiteral("a.mp3"), Mp3Frame()),
                        Write(QString(60, QLatin1Char('W')) + QStringLiteral(".mp3"), Mp3Frame())});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const QImage image = Shown(list);
        const QRect first = list.visualRect(model.index(0)),
                    second = list.visualRect(model.index(1));
        // The time is the ink furthest right on the short name's entry (inside the focus frame).
        const QRect inner = first.adjusted(0, 5, -5, -5);
        int timeLeft = inner.right();
        while (
            timeLeft > inner.center().x() &&
            HasPixelDarkerThan(image, QRect(timeLeft - 20, inner.top(), 20, inner.height()), 60)) {
            timeLeft -= 1;
        }
        QVERIFY(timeLeft > inner.center().x() && timeLeft < inner.right() - 20);
        // Its place looks the same whatever the name; the long name reaches close to it.
        const QRect time(timeLeft, inner.top(), inner.right() - timeLeft, inner.height());
        QCOMPARE(image.copy(time.translated(0, second.top())), image.copy(time));
        const QRect beforeTime(timeLeft - 40, inner.top(), 40, inner.height());
        QVERIFY(HasPixelDarkerThan(image, beforeTime.translated(0, second.top()), 60));
        QVERIFY(!HasPixelDarkerThan(image, beforeTime, 60));
    }
};

QTEST_MAIN(TrackListViewTest)
#include "TrackListViewTest.moc"
