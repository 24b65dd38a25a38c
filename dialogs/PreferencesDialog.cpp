#include "dialogs/PreferencesDialog.h"

#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "dialogs/DialogButtons.h"

namespace tessaro {

PreferencesDialog::PreferencesDialog(QWidget* parent)
    : QDialog(parent), m_tabs(new QTabWidget(this)), m_standardPage(new StandardPreferencesPage) {
    setWindowTitle(tr("Preferences"));
    m_tabs->addTab(m_standardPage, m_standardPage->windowTitle());
    // The one tab needs no keyboard focus: the sheet opens with the check box focused.
    m_tabs->tabBar()->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(m_tabs);
    AddDialogButtons(*this, *layout, DialogButtons::OkCancel, Qt::AlignRight);
}

void PreferencesDialog::accept() {
    m_standardPage->UpdateData();
    QDialog::accept();
}

}  // namespace tessaro
