#pragma once

#include <QDialog>

// The "About ..." box: the application icon, the product name and version in large bold type,
// the maker's notice and OK.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
