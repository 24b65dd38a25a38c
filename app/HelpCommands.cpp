#include "app/HelpCommands.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "app/WindowDialogs.h"
#include "dialogs/Help.h"
#include "io/Files.h"

namespace tessaro {

HelpCommands::HelpCommands(QWidget& window, WindowDialogs& dialogs)
    : m_window(window), m_dialogs(dialogs) {}

void HelpCommands::ShowHelp() {
    const QString help = HelpFilePath(QCoreApplication::applicationFilePath());
    const bool present = QFileInfo(help).isFile();
    if (present && HasHelpViewer() && OpenHelp()) {
        return;
    }
    // Handed over without a viewer, the file would open nowhere and nothing would be said.
    const QString why =
        present ? tr("No program for compiled HTML help is installed to open the help file %1. "
                     "Install xchm or kchmviewer, for example with: sudo apt-get install xchm")
                      .arg(Quoted(help))
                : tr("The help file %1 is missing.").arg(Quoted(help));
    const QString guide = HtmlGuidePath(QCoreApplication::applicationFilePath());
    if (guide.isEmpty()) {
        m_dialogs.ShowMessage(&m_window, WindowDialogs::Icon::Error, tr("Help"), why);
    } else if (!HasWebBrowser()) {
        m_dialogs.ShowMessage(&m_window, WindowDialogs::Icon::Error, tr("Help"),
                              why + QStringLiteral("\n\n") +
                                  tr("No web browser was found either to read the same guide, "
                                     "%1. Install one, for example with: sudo apt-get install "
                                     "firefox-esr")
                                      .arg(Quoted(guide)));
    } else if (m_dialogs.Confirm(&m_window, tr("Help"),
                                 why + QStringLiteral("\n\n") +
                                     tr("The same guide can be read in your web browser."),
                                 tr("Open in Browser")) &&
               !OpenHtmlGuide(guide)) {
        ShowNoBrowser(tr("Help"), guide);
    }
}

void HelpCommands::ShowNoBrowser(const QString& caption, const QString& address) {
    m_dialogs.ShowMessage(&m_window, WindowDialogs::Icon::Error, caption,
                          tr("Cannot start a web browser for %1.").arg(Quoted(address)));
}

void HelpCommands::VisitWebSite() {
    if (!VisitMakerWebSite()) {
        ShowNoBrowser(tr("Visit Veskaro Technology"), kMakerWebSite.toString());
    }
}

}  // namespace tessaro
