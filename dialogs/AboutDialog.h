#pragma once

#include <QDialog>

namespace tessaro {

// The "About ..." box: the application icon, the product name and version in large bold type,
// the maker's notice and OK.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace tessaro
