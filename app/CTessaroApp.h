#pragma once

#include <QApplication>
#include <memory>

namespace tessaro {
class MainWindow;
}

// The application: creates the one main frame and shows it, with the files named on the command
// line (what remains of it once Qt has taken its own options out).
class CTessaroApp : public QApplication {
    Q_OBJECT

public:
    CTessaroApp(int& argc, char** argv);
    ~CTessaroApp() override;

    // Builds the main window, restores its last layout, shows it and hands it the files named.
    void InitInstance();

private:
    // Destroyed after the event loop has ended, which writes the preference file.
    std::unique_ptr<tessaro::MainWindow> m_mainFrame;
};
