#pragma once

#include <QApplication>
#include <memory>

class CMainFrame;

// The application: creates the one main frame and shows it. The command line is not looked at
// (Qt's own platform options aside).
class CTessaroApp : public QApplication {
    Q_OBJECT

public:
    CTessaroApp(int& argc, char** argv);
    ~CTessaroApp() override;

    // Builds the main window, restores its last layout and shows it.
    void InitInstance();

private:
    // Destroyed after the event loop has ended, which writes the preference file.
    std::unique_ptr<CMainFrame> m_mainFrame;
};
