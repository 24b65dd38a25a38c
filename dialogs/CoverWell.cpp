#include "dialogs/CoverWell.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QPixmap>
#include <QUrl>

namespace tessaro {

namespace {

// The one local file a drag carries, or "" when it carries none or several.
QString DraggedFile(const QMimeData* data) {
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    return urls.size() == 1 && urls.front().isLocalFile() ? urls.front().toLocalFile() : QString();
}

}  // namespace

CoverWell::CoverWell(QWidget* parent) : QLabel(parent) {
    setFixedSize(kSide, kSide);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setFrameShape(QFrame::StyledPanel);
    setAcceptDrops(true);
    setAccessibleName(tr("Cover"));
    ShowPicture({});
}

void CoverWell::ShowPicture(const QByteArray& data) {
    m_image = QImage::fromData(data);
    if (m_image.isNull()) {
        setPixmap({});
        setText(tr("Drop a picture here"));
        setAccessibleDescription(tr("none"));
        return;
    }
    Scale();
    setAccessibleDescription(tr("%1 × %2 pixels").arg(m_image.width()).arg(m_image.height()));
}

void CoverWell::Scale() {
    const qreal ratio = devicePixelRatioF();
    const int side = int((kSide - 2 * frameWidth()) * ratio);
    QPixmap thumbnail = QPixmap::fromImage(
        m_image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    thumbnail.setDevicePixelRatio(ratio);
    setPixmap(thumbnail);
}

void CoverWell::paintEvent(QPaintEvent* event) {
    if (!m_image.isNull() && pixmap().devicePixelRatio() != devicePixelRatioF()) {
        Scale();
    }
    QLabel::paintEvent(event);
}

void CoverWell::dragEnterEvent(QDragEnterEvent* event) {
    if (!DraggedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CoverWell::dropEvent(QDropEvent* event) {
    const QString path = DraggedFile(event->mimeData());
    if (path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    Q_EMIT fileDropped(path);
}

}  // namespace tessaro
