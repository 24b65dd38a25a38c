#include "dialogs/COutputWnd.h"

#include <QFontDatabase>
#include <QTabWidget>
#include <QTime>

COutputList::COutputList(QWidget* parent) : QListWidget(parent) {
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setContextMenuPolicy(Qt::NoContextMenu);
}

COutputWnd::COutputWnd(QWidget* parent)
    : QDockWidget(tr("Output"), parent),
      m_wndTabs(new QTabWidget(this)),
      m_wndOutputDebug(new COutputList(m_wndTabs)) {
    setObjectName(QStringLiteral("OutputPane"));  // for the saved window layout
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::AllDockWidgetAreas);
    m_wndTabs->setTabPosition(QTabWidget::South);
    m_wndTabs->setDocumentMode(true);
    m_wndTabs->addTab(m_wndOutputDebug, tr("Debug"));
    setWidget(m_wndTabs);
}

void COutputWnd::AppendLogLine(const QString& text) {
    m_wndOutputDebug->insertItem(
        0, QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(':') + text);
}
