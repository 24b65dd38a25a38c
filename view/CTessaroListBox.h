#pragma once

#include <QFont>
#include <QListView>
#include <QPixmap>
#include <vector>

#include "workspace/TrackListView.h"

class TrackListModel;

// The audio figures of one list entry, read from its file once, when the entry is added.
struct TrackInfo {
    QString path;
    qint32 bitrate = 0;     // bits per second, of the first frame with a table bitrate
    qint32 channels = 0;    // 1 for single channel, else 2
    qint32 sampleRate = 0;  // Hz; -1 for a reserved value
    qint32 duration = 0;    // whole seconds: file size x 8 / bitrate
    // Why the figures are missing (the file cannot be opened or has no usable frame); empty
    // when they are there.
    QString problem;
    // Cached so that painting never touches the disk.
    QString name;
    QPixmap icon;
};

// The list of the workspace's files, one 40-pixel entry per file with its icon, name, audio
// figures and playing time. It mirrors the workspace entry for entry.
class CTessaroListBox : public QListView, public tessaro::TrackListView {
    Q_OBJECT

public:
    static constexpr int kItemHeight = 40;

    explicit CTessaroListBox(QWidget* parent = nullptr);
    ~CTessaroListBox() override;

    // TrackListView
    void AddTrack(const QString& path) override;
    int InsertTrack(int index, const QString& path) override;
    void RemoveTrack(int index) override;
    // "" for -1; raises x::BadBound for an index that, taken as unsigned, is not below the count.
    QString GetTrackPath(int index) const override;
    int GetTrackCount() const override;
    void SelectTrack(int index) override;

    const TrackInfo& GetTrackInfo(int index) const;
    // The selected entry, or -1.
    int GetCurSel() const;

    // Paints entry `index` into `rect`; nothing for -1.
    void DrawTrack(QPainter& painter, const QRect& rect, int index, bool selected) const;

    static TrackInfo ReadTrackInfo(const QString& path);
    // hh:mm:ss, with as many hour digits as needed.
    static QString FormatDuration(qint32 seconds);
    // The grey line under the name: rate, bitrate and channel layout, or what is wrong.
    static QString InfoLine(const TrackInfo& info);

private:
    QFont m_nameFont;
    QFont m_timeFont;
    std::vector<TrackInfo> m_tracks;
    TrackListModel* m_model;
};
