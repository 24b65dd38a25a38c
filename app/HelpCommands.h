#pragma once

#include <QCoreApplication>

class QWidget;

namespace tessaro {

class WindowDialogs;

// Help > Help and Help > Visit Veskaro Technology: the guide in the help viewer, or else in the
// web browser, and the maker's web site; a message box of the window's says where they cannot
// be shown and what to install.
class HelpCommands {
    Q_DECLARE_TR_FUNCTIONS(tessaro::HelpCommands)

public:
    HelpCommands(QWidget& window, WindowDialogs& dialogs);

    void ShowHelp();
    void VisitWebSite();

private:
    void ShowNoBrowser(const QString& caption, const QString& address);

    QWidget& m_window;
    WindowDialogs& m_dialogs;
};

}  // namespace tessaro
