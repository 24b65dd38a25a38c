#pragma once

#include <QString>
#include <QUrl>

namespace tessaro {

// The maker's web site, opened by Help > "Visit Veskaro Technology ...".
inline const QUrl kMakerWebSite{QStringLiteral("https://veskaro.example.com/")};

// The compiled help that lies beside an executable: the executable's path with ".chm" in place
// of its file name's extension, or appended when the name has none. Dots in folder names do
// not count as an extension.
QString HelpFilePath(const QString& executablePath);

// The same guide as HTML pages, installed for the executable or built beside it; empty when it
// is neither.
QString HtmlGuidePath(const QString& executablePath);

// Whether the desktop names a program for compiled HTML help, as xdg-open would choose one:
// without one, the help file would be handed over and nothing would happen.
bool HasHelpViewer();
// Whether xdg-open would find a graphical program for an HTML page: the desktop's default for
// one, the user's $BROWSER, or one of the browsers it tries in turn. Without one, the guide would
// be handed over and nothing would happen.
bool HasWebBrowser();

// Hand the help file of the running executable, the HTML guide at `guide` or the maker's web
// site to the desktop's handler for it. False when none could be started.
bool OpenHelp();
bool OpenHtmlGuide(const QString& guide);
bool VisitMakerWebSite();

}  // namespace tessaro
