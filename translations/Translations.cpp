#include "translations/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace tessaro {

Translations::Translations(const QLocale& locale) {
    // Built from tessaro_XX.ts into the resources; Qt's own ship as qtbase_XX.qm.
    if (m_program.load(locale, QStringLiteral("tessaro"), QStringLiteral("_"),
                       QStringLiteral(":/i18n"))) {
        QCoreApplication::installTranslator(&m_program);
    }
    if (m_qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&m_qt);
    }
}

}  // namespace tessaro
