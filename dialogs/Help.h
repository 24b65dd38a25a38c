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

// Hand the help file of the running executable, or the maker's web site, to the desktop's
// handler for it. False when none could be started; the caller shows nothing of its own.
bool OpenHelp();
bool VisitMakerWebSite();

}  // namespace tessaro
