#pragma once

#include <QDialog>

#include "dialogs/CPrefStandardPage.h"

class QTabWidget;

// The "Preferences" sheet: its pages as tabs, OK and Cancel, and no Apply, since nothing takes
// effect before OK. OK hands every page's control states to its preferences.
class CPreferencesSheet : public QDialog {
    Q_OBJECT

public:
    explicit CPreferencesSheet(QWidget* parent = nullptr);

    CPrefStandardPage& StandardPage() { return *m_standardPage; }

    void accept() override;

private:
    QTabWidget* m_tabs;
    CPrefStandardPage* m_standardPage;
};
