#pragma once

#include <QTranslator>

class QLocale;

namespace tessaro {

// The texts of the programs in the user's language: the program's own translation, built into
// it, and Qt's (its dialogs' buttons, the command-line parser's help), from Qt's installation.
// Installed on the application while this lives; a language without a translation keeps the
// English texts.
class Translations {
public:
    // For the programs' start: QLocale::system(), which follows LANGUAGE, LC_ALL and LANG.
    explicit Translations(const QLocale& locale);
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    // Whether a translation of the program's own texts was found for the language.
    bool ProgramTranslated() const { return !m_program.isEmpty(); }
    bool QtTranslated() const { return !m_qt.isEmpty(); }

private:
    QTranslator m_program;
    QTranslator m_qt;
};

}  // namespace tessaro
