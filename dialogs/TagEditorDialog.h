#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <optional>

#include "workspace/OutputTag.h"

class QComboBox;
class QLineEdit;

namespace tessaro {

class CoverWell;

// The modal editor of the main ID3 tag the merged file is to carry. It opens with the tag given
// (year 0 shown empty), so that a second look changes only what is typed anew; after exec()
// returns Accepted the tag holds what the fields show. The year takes 0 to 9999, checked as it
// is typed; an empty year is 0. The genre is typed or picked from ID3v1's. The front cover can be
// taken from a JPEG or PNG file, chosen or dropped on its thumbnail, checked as it comes.
class TagEditorDialog : public QDialog {
    Q_OBJECT

public:
    // What the editor edits: the tag, its further fields and the cover's picture file (empty for
    // none).
    struct Fields {
        tessaro::OutputTag tag;
        tessaro::MoreTagFields more;
        QString cover;
    };

    // `written`: whether the merge writes the tag (the "Save ID3 tag" preference), which the
    // editor tells under the fields. `pickPicture` asks for a cover, giving "" when none was
    // chosen.
    explicit TagEditorDialog(QWidget* parent = nullptr, const Fields& fields = {},
                             bool written = false, std::function<QString()> pickPicture = {});

    // Reads an integer the way the C library's "%d" conversion does: from the first 63
    // characters, leading white space skipped, an optional sign, then decimal digits; whatever
    // follows them is ignored. Empty when no digit comes after the blanks and the sign. A number
    // beyond the 32-bit range is clamped to its nearest end (as strtol does for its own type),
    // so that no text gives an undefined result.
    static std::optional<qint32> ParseYear(const QString& text);

    const tessaro::OutputTag& Tag() const { return m_fields.tag; }
    const tessaro::MoreTagFields& More() const { return m_fields.more; }
    const QString& Cover() const { return m_fields.cover; }

    // Takes the fields over and closes, or refuses a year that is not a number from 0 to 9999
    // and stays open.
    void accept() override;

private:
    // The cover row: the file's name, and buttons to choose one or to have none, in tab order
    // after `previous`, which becomes the row's last.
    QWidget* CoverRow(QWidget*& previous);
    void ChooseCover();
    // Takes the picture file at `path` as the cover, or says why not and keeps the one before.
    void TakeCover(const QString& path);
    // Shows the cover's file and its picture, these bytes.
    void ShowCover(const QByteArray& picture);
    // The bytes of the cover's picture file; none when it cannot be read.
    QByteArray CoverPicture() const;

    Fields m_fields;
    std::function<QString()> m_pickPicture;
    QLineEdit* m_coverEdit;
    CoverWell* m_coverWell;

    QLineEdit* m_albumEdit;
    QLineEdit* m_artistEdit;
    QLineEdit* m_albumArtistEdit;
    QLineEdit* m_titleEdit;
    QLineEdit* m_composerEdit;
    QComboBox* m_genreBox;
    QLineEdit* m_yearEdit;
    QLineEdit* m_commentEdit;
};

}  // namespace tessaro
