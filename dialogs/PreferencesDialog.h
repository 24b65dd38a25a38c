#pragma once

#include <QDialog>

#include "dialogs/StandardPreferencesPage.h"

class QTabWidget;

namespace tessaro {

// The "Preferences" sheet: its pages as tabs, OK and Cancel, and no Apply, since nothing takes
// effect before OK. OK hands every page's control states to its preferences.
class PreferencesDialog : public QDialog {
    Q_OBJECT

public:
    explicit PreferencesDialog(QWidget* parent = nullptr);

    StandardPreferencesPage& StandardPage() { return *m_standardPage; }

    void accept() override;

private:
    QTabWidget* m_tabs;
    StandardPreferencesPage* m_standardPage;
};

}  // namespace tessaro
