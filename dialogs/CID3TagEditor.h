#pragma once

#include <QDialog>
#include <QString>
#include <optional>

#include "workspace/OutputTag.h"

class QLineEdit;

// The modal editor of the main ID3 tag the merged file is to carry. Every editor starts blank
// with year 0; after exec() returns Accepted the tag holds what the user typed.
class CID3TagEditor : public QDialog {
    Q_OBJECT

public:
    explicit CID3TagEditor(QWidget* parent = nullptr);

    // Reads an integer the way the C library's "%d" conversion does: from the first 63
    // characters, leading white space skipped, an optional sign, then decimal digits; whatever
    // follows them is ignored. Empty when no digit comes after the blanks and the sign. A number
    // beyond the 32-bit range is clamped to its nearest end (as strtol does for its own type),
    // so that no text gives an undefined result.
    static std::optional<qint32> ParseYear(const QString& text);

    const tessaro::OutputTag& Tag() const { return m_tag; }

    // Takes the fields over and closes, or refuses a year that is not a number and stays open.
    void accept() override;

private:
    tessaro::OutputTag m_tag;

    QLineEdit* m_albumEdit;
    QLineEdit* m_artistEdit;
    QLineEdit* m_titleEdit;
    QLineEdit* m_yearEdit;
    QLineEdit* m_commentEdit;
};
