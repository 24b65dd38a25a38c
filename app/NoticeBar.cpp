#include "app/NoticeBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

namespace tessaro {

NoticeBar::NoticeBar() : m_text(new QLabel) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* close = new QToolButton;
    close->setAutoRaise(true);
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setToolTip(tr("Close this message"));
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addWidget(close, 0, Qt::AlignTop);
    hide();
}

void NoticeBar::Show(const QString& text) {
    m_text->setText(text);
    setVisible(!text.isEmpty());
}

QString NoticeBar::Text() const {
    return isHidden() ? QString() : m_text->text();
}

void NoticeBar::ShowFormats(int unlike, bool conforming) {
    if (unlike == 0 || conforming) {
        Show(QString());
        return;
    }
    const QString inputs = unlike == 1
                               ? tr("1 input differs in format from the first")
                               : tr("%1 inputs differ in format from the first").arg(unlike);
    Show(inputs + tr(", and many players play the joined file wrongly. Turn on \"Re-encode "
                     "inputs of another format to match the first\" in File > Preferences "
                     "to keep one format throughout."));
}

}  // namespace tessaro
