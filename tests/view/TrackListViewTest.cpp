#include <QAccessible>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include "FrameTesting.h"
#include "TestFiles.h"
#include "mp3/ListFigures.h"
#include "mp3/XingHeader.h"
#include "view/CTessaroListBox.h"
#include "workspace/Exception.h"
#include "workspace/TessaroWorkSpace.h"

using namespace testing_files;

class TessaroListBoxTest : public QObject {
    Q_OBJECT

private:
    QString Write(const QString& name, const QByteArray& bytes) {
        return WriteAll(dir.filePath(name), bytes);
    }
    // Adds the files and waits until their figures have been read.
    static void AddRead(TrackListModel& model, const QStringList& paths) {
        for (const QString& path : paths) {
            model.AddTrack(path);
        }
        QTRY_VERIFY(!model.FiguresPending());
    }
    static QImage Render(const CTessaroListBox& list, int index, bool selected) {
        QImage image(300, CTessaroListBox::kItemHeight, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        list.DrawTrack(painter, image.rect(), index, selected);
        return image;
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

    static int Lightest(const QImage& image, const QRect& area) {
        int lightest = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                lightest = qMax(lightest, image.pixelColor(x, y).lightness());
            }
        }
        return lightest;
    }
    // As dark desktop themes give it; the placeholder colour is left at its light default.
    static QPalette Dark() {
        QPalette palette;
        palette.setColor(QPalette::Window, QColor(53, 53, 53));
        palette.setColor(QPalette::Base, QColor(35, 35, 38));
        palette.setColor(QPalette::Text, QColor(230, 230, 230));
        palette.setColor(QPalette::Highlight, QColor(42, 130, 218));
        return palette;
    }
    // The picture that follows the pointer during a drag.
    static QImage DragPicture() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* label = qobject_cast<QLabel*>(widget);
            if (label && label->isVisible()) {
                return label->pixmap().toImage();
            }
        }
        return {};
    }

    QTemporaryDir dir;

private Q_SLOTS:
    void listMirrorsTheWorkspaceAfterEveryChange() {
        TrackListModel model;
        CTessaroListBox list(model);
        tessaro::TessaroWorkSpace workspace(model);
        const QString a = Fixture(QStringLiteral("cbr128_stereo.mp3"));
        const QString b = Fixture(QStringLiteral("vbr_mono.mp3"));
        const QString missing = dir.filePath(QStringLiteral("gone.mp3"));
        const auto check = [&] {
            QCOMPARE(EntryPaths(model), workspace.Paths());
            QCOMPARE(list.model()->rowCount(), int(workspace.Paths().size()));
        };
        for (const QString& path : {a, b, missing, a}) {
            workspace.AddPath(path);
            check();
        }
        workspace.MoveEntry(0, tessaro::TessaroWorkSpace::Down);
        check();
        QCOMPARE(list.SelectedRows(), QList<int>{1});
        workspace.MoveEntry(3, tessaro::TessaroWorkSpace::Up);
        check();
        QCOMPARE(list.SelectedRows(), QList<int>{2});
        QCOMPARE(model.InsertTrack(1, b), 1);
        workspace.Clear();  // the list's own count decides: the extra entry goes too
        check();
        workspace.AddPath(b);
        workspace.RemoveAt(0);
        check();
        workspace.AddPath(a);
        workspace.SetTag({QStringLiteral("x"), QString(), QString(), 1, QString()});
        workspace.Reset();
        check();
        QCOMPARE(model.GetTrackCount(), 0);
    }

    void pathByIndex() {
        TrackListModel model;
        CTessaroListBox list(model);
        model.AddTrack(QStringLiteral("/a.mp3"));
        QCOMPARE(model.GetTrackPath(-1), QString());
        QCOMPARE(model.GetTrackPath(0), QStringLiteral("/a.mp3"));
        QVERIFY_THROWS_EXCEPTION(x::BadBound, model.GetTrackPath(1));
        QVERIFY_THROWS_EXCEPTION(x::BadBound, model.GetTrackPath(-2));
        QVERIFY_THROWS_EXCEPTION(x::BadBound, model.InsertTrack(3, QStringLiteral("/b.mp3")));
        QCOMPARE(model.GetTrackCount(), 1);
    }

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
        const mp3::Figures mono =
            mp3::ProbeFigures(Write(QStringLiteral("mono.mp3"), MakeFrame(3, 1, 9, 0, 0, 3)));
        QCOMPARE(TrackListModel::InfoLine(mono), QStringLiteral("44100 Hz  128 kbps  Mono"));
        const mp3::Figures joint =
            mp3::ProbeFigures(Write(QStringLiteral("joint.mp3"), MakeFrame(2, 1, 8, 0, 0, 1)));
        QCOMPARE(TrackListModel::InfoLine(joint), QStringLiteral("22050 Hz  64 kbps  Stereo"));
        const mp3::Figures dual =
            mp3::ProbeFigures(Write(QStringLiteral("dual.mp3"), MakeFrame(3, 1, 14, 1, 0, 2)));
        QCOMPARE(TrackListModel::InfoLine(dual), QStringLiteral("48000 Hz  320 kbps  Stereo"));

        // A free-format frame first: the figures come from the first frame with a bitrate.
        const mp3::Figures skipped = mp3::ProbeFigures(Write(
            QStringLiteral("free.mp3"), MakeFrame(3, 1, 0, 1, 0, 3) + MakeFrame(2, 1, 8, 0, 0, 0)));
        QCOMPARE(TrackListModel::InfoLine(skipped), QStringLiteral("22050 Hz  64 kbps  Stereo"));

        const mp3::Figures mpeg25 = mp3::ProbeFigures(Fixture(QStringLiteral("mpeg25_8k.mp3")));
        QCOMPARE(TrackListModel::InfoLine(mpeg25), QStringLiteral("8000 Hz  8 kbps  Mono"));
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

    void figuresAreReadOffTheGuiThreadOnceAndMovesKeepThem() {
        TrackListModel model;
        const QString a = Write(QStringLiteral("notes.mp3"), "plain text, no audio");
        const QString b = Write(QStringLiteral("b.mp3"), Mp3Frame().repeated(200));
        model.AddTrack(a);
        model.AddTrack(b);
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

        // The file changes on disk; moving its entry reads nothing and keeps what was shown.
        WriteAll(b, Mp3Frame().repeated(400));
        QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
        model.MoveTrack(1, 0);
        model.MoveTrack(0, 1);
        model.MoveTrack(1, 0);
        QCOMPARE(moved.count(), 3);
        QVERIFY(!model.FiguresPending());
        QCOMPARE(model.GetTrackPath(0), b);
        QCOMPARE(qRound(model.Track(0).duration), 5);
        QVERIFY_THROWS_EXCEPTION(x::BadBound, model.MoveTrack(0, 2));
        // The same file added again shows the figures at once.
        model.AddTrack(b);
        QVERIFY(model.Track(2).read);
        // Reads still running when the model goes are waited for and dropped.
        {
            TrackListModel gone;
            for (int i = 0; i < 20; ++i) {
                gone.AddTrack(dir.filePath(QStringLiteral("%1.mp3").arg(i)));
            }
        }
        QTest::qWait(20);
    }

    void entryColoursSelectedAndNot() {
        TrackListModel model;
        CTessaroListBox list(model);
        AddRead(model, {Fixture(QStringLiteral("cbr128_stereo.mp3"))});
        const QColor frame(153, 222, 253), fill(232, 246, 253);

        const QImage selected = Render(list, 0, true);
        QCOMPARE(selected.pixelColor(0, 0), frame);
        QCOMPARE(selected.pixelColor(299, 39), frame);
        QCOMPARE(selected.pixelColor(150, 0), frame);
        QCOMPARE(selected.pixelColor(0, 20), frame);
        QCOMPARE(selected.pixelColor(1, 1), fill);
        QCOMPARE(selected.pixelColor(37, 20), fill);
        QCOMPARE(selected.pixelColor(298, 38), fill);

        const QImage plain = Render(list, 0, false);
        for (const QPoint& p : {QPoint(0, 0), QPoint(299, 39), QPoint(37, 20), QPoint(1, 1)}) {
            QCOMPARE(plain.pixelColor(p), QColor(Qt::white));
        }
        // The name in black near the top, the grey line below it, the time at the right.
        QVERIFY(HasPixelDarkerThan(plain, QRect(40, 3, 120, 15), 60));
        QVERIFY(HasPixelDarkerThan(plain, QRect(40, 24, 140, 10), 200));
        QVERIFY(!HasPixelDarkerThan(plain, QRect(40, 24, 140, 10), 100));
        QVERIFY(HasPixelDarkerThan(plain, QRect(200, 8, 95, 24), 60));
        QVERIFY(!HasPixelDarkerThan(plain, QRect(200, 0, 100, 6), 250));

        QCOMPARE(Render(list, -1, true).pixelColor(10, 10), QColor(Qt::magenta));
    }

    void aDarkPaletteDrawsEntriesInItsColoursReadably() {
        TrackListModel model;
        CTessaroListBox list(model);
        AddRead(model, {Fixture(QStringLiteral("cbr128_stereo.mp3"))});
        const QImage light = Render(list, 0, false);
        // A light palette keeps the list's own colours, even where its base is not white.
        QPalette offWhite;
        offWhite.setColor(QPalette::Base, QColor(240, 240, 236));
        list.setPalette(offWhite);
        QCOMPARE(Render(list, 0, false), light);

        list.setPalette(Dark());
        const QColor base = Dark().color(QPalette::Base);
        const QRect name(40, 3, 120, 15), infoLine(40, 24, 140, 10), time(200, 8, 95, 24);
        const QImage plain = Render(list, 0, false);
        QCOMPARE(plain.pixelColor(37, 20), base);
        // Light letters, none black; the info line dimmer than the name, yet readable.
        QVERIFY(!HasPixelDarkerThan(plain, name, qGray(base.rgb())));
        QVERIFY(Lightest(plain, name) - base.lightness() > 150);
        QVERIFY(Lightest(plain, time) - base.lightness() > 150);
        QVERIFY(Lightest(plain, infoLine) - base.lightness() > 70);
        QVERIFY(Lightest(plain, infoLine) < Lightest(plain, name));

        const QImage selected = Render(list, 0, true);
        const QColor fill = selected.pixelColor(37, 20);
        QVERIFY(fill != base && fill.lightness() < 128);
        QVERIFY(selected.pixelColor(0, 0) != fill);  // framed
        QVERIFY(Lightest(selected, name) - fill.lightness() > 120);
    }

    void entriesTellAssistiveToolsTheirNameTimeAndFigures() {
        TrackListModel model;
        CTessaroListBox list(model);
        AddRead(model, {Write(QStringLiteral("five seconds.mp3"), Mp3Frame().repeated(200)),
                        dir.filePath(QStringLiteral("gone.mp3"))});
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
    }

    void theListPaintsEntriesWithoutFocusRectAndWhiteBelowAndFollowsThePalette() {
        TrackListModel model;
        CTessaroListBox list(model);
        list.resize(400, 200);
        AddRead(model, {Fixture(QStringLiteral("cbr128_stereo.mp3")),
                        Fixture(QStringLiteral("vbr_mono.mp3"))});
        list.SelectRows({1});
        list.show();
        QVERIFY(QTest::qWaitForWindowActive(&list));
        list.setFocus();
        const QImage image = list.viewport()->grab().toImage();
        QCOMPARE(image.pixelColor(0, 40), QColor(153, 222, 253));
        QCOMPARE(image.pixelColor(37, 60), QColor(232, 246, 253));
        QCOMPARE(image.pixelColor(37, 20), QColor(Qt::white));
        const int width = list.viewport()->width();
        for (int y = 80; y < list.viewport()->height(); y += 7) {
            QCOMPARE(image.pixelColor(width / 2, y), QColor(Qt::white));
        }
        // With the focus, a dotted frame inside the current entry shows where keys act; without,
        // the entry is drawn alone.
        const auto focusFrame = [&](const QImage& shown) {
            return HasPixelDarkerThan(shown, QRect(10, 42, width - 20, 1), 128);
        };
        QVERIFY(focusFrame(image));
        QVERIFY(!HasPixelDarkerThan(image, QRect(10, 2, width - 20, 1), 128));
        list.clearFocus();
        QVERIFY(!focusFrame(list.viewport()->grab().toImage()));
        list.setFocus();

        // A dark palette at run time, which reaches the widgets through the event loop.
        QWidget* viewport = list.viewport();
        const QPalette original = QApplication::palette();
        const auto restore = qScopeGuard([&] { QApplication::setPalette(original); });
        QApplication::setPalette(Dark());
        const QColor base = Dark().color(QPalette::Base);
        QTRY_COMPARE(viewport->grab().toImage().pixelColor(37, 20), base);
        QCOMPARE(viewport->grab().toImage().pixelColor(width / 2, 150), base);
        // Dragging the second entry onto the first: the marker along its top stands out.
        QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(60, 60));
        QTest::mouseMove(viewport, QPoint(60, 66));
        QTest::mouseMove(viewport, QPoint(60, 20));
        QVERIFY(list.IsDragging());
        const QImage dark = viewport->grab().toImage();
        int marker = 0;
        for (int x = 0; x < dark.width(); ++x) {
            marker += dark.pixelColor(x, 0).lightness() - base.lightness() > 100;
        }
        QVERIFY(marker > dark.width() / 4);
        QVERIFY(DragPicture().pixelColor(37, 20).lightness() < 128);
        // Back to light in the middle of the drag, then dropped where it came from.
        QApplication::setPalette(original);
        QTRY_COMPARE(DragPicture().pixelColor(37, 20), QColor(232, 246, 253));
        QTest::mouseMove(viewport, QPoint(60, 60));
        QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, QPoint(60, 60));
        QCOMPARE(viewport->grab().toImage(), image);
        // A scroll bar only when the entries do not fit.
        QVERIFY(!list.verticalScrollBar()->isVisible());
        for (int i = 0; i < 6; ++i) {
            model.AddTrack(Fixture(QStringLiteral("vbr_mono.mp3")));
        }
        QTRY_VERIFY(list.verticalScrollBar()->isVisible());
    }

    void entriesGrowWithTheApplicationFont() {
        TrackListModel model;
        CTessaroListBox list(model);
        list.resize(400, 300);
        AddRead(model, {Fixture(QStringLiteral("cbr128_stereo.mp3")),
                        Fixture(QStringLiteral("vbr_mono.mp3"))});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QCOMPARE(list.visualRect(model.index(1)).top(), CTessaroListBox::kItemHeight);
        const auto lettersHeight = [&] {
            // The rows of the name's letters in the first entry, left of the time.
            const QImage image = list.viewport()->grab().toImage();
            int rows = 0;
            for (int y = 0; y < list.ItemHeight(); ++y) {
                rows += HasPixelDarkerThan(image, QRect(40, y, 150, 1), 60);
            }
            return rows;
        };
        const int small = lettersHeight();
        const QFont original = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(original); });
        QFont large = original;
        large.setPointSizeF(18);
        QApplication::setFont(large);
        QTRY_COMPARE(list.visualRect(model.index(1)).top(), 2 * CTessaroListBox::kItemHeight);
        QTRY_VERIFY(lettersHeight() > small * 3 / 2);
        // Smaller than the layout was made for: it keeps its size.
        QFont tiny = original;
        tiny.setPointSizeF(6);
        QApplication::setFont(tiny);
        QTRY_COMPARE(list.visualRect(model.index(1)).top(), CTessaroListBox::kItemHeight);
    }

    void aLongNameEndsWithAnEllipsisBeforeTheTimeAndTheToolTipTellsThePath() {
        TrackListModel model;
        CTessaroListBox list(model);
        const QString shortName = Write(QStringLiteral("a.mp3"), Mp3Frame());
        const QString longName =
            Write(QString(60, QLatin1Char('W')) + QStringLiteral(".mp3"), Mp3Frame());
        AddRead(model, {shortName, longName});
        // The time's place, at the right, looks the same whatever the name.
        const QRect time(230, 0, 70, CTessaroListBox::kItemHeight);
        QCOMPARE(Render(list, 1, false).copy(time), Render(list, 0, false).copy(time));
        QVERIFY(HasPixelDarkerThan(Render(list, 1, false), QRect(150, 3, 40, 15), 60));
        QCOMPARE(list.model()->index(1, 0).data(Qt::ToolTipRole).toString(), longName);
    }
};

QTEST_MAIN(TessaroListBoxTest)
#include "TrackListViewTest.moc"
