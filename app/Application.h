#pragma once

#include <QApplication>
#include <memory>

#include "translations/Translations.h"

namespace tessaro {

class MainWindow;
class SingleInstance;

// The window application: its names and icon, its texts in the user's language, and one main
// window for each user, which a later start hands its files to.
class Application : public QApplication {
    Q_OBJECT

public:
    Application(int& argc, char** argv);
    ~Application() override;

    // Hands the files named on the command line (what Qt left of it) to a running instance if
    // there is one, and returns 0; else shows the main window with them and runs it to its end.
    int Run();

private:
    // Builds the main window, restores its last layout, shows it and hands it `files`, and the
    // files of later starts.
    void ShowMainWindow(const QStringList& files);

    const Translations m_translations;
    SingleInstance* m_instance;
    // Destroyed after the event loop has ended, which writes the preference file.
    std::unique_ptr<MainWindow> m_mainFrame;
};

}  // namespace tessaro
