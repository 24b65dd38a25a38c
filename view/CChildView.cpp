#include "view/CChildView.h"

#include <QVBoxLayout>

CChildView::CChildView(TrackListModel& model, QWidget* parent)
    : QFrame(parent), m_wndList(new CTessaroListBox(model, this)) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_wndList);
    setFocusProxy(m_wndList);
}
