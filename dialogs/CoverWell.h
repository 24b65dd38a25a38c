#pragma once

#include <QImage>
#include <QLabel>
#include <QString>

namespace tessaro {

// A cover's thumbnail, which takes a picture file dropped on it. It shows the picture given, or
// says where one may be dropped; a drop of one local file is handed on through fileDropped, to be
// checked there.
class CoverWell : public QLabel {
    Q_OBJECT

public:
    // The side of the square the thumbnail fits into, in device-independent pixels.
    static constexpr int kSide = 96;

    explicit CoverWell(QWidget* parent = nullptr);

    // Shows the picture these bytes encode; none when they are empty or not a picture.
    void ShowPicture(const QByteArray& data);

Q_SIGNALS:
    void fileDropped(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Scales the picture anew when the window has moved to a screen of another density.
    void paintEvent(QPaintEvent* event) override;

private:
    // Fits the picture into the well at the screen's own density, so that a ×2 screen shows it
    // sharp.
    void Scale();

    QImage m_image;
};

}  // namespace tessaro
