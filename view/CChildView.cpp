#include "view/CChildView.h"

#include <QVBoxLayout>

CChildView::CChildView(QWidget* parent) : QFrame(parent), m_wndList(new CTessaroListBox(this)) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_wndList);
    setFocusProxy(m_wndList);
}
