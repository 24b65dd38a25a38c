#include "dialogs/TagEditorDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>
#include <utility>

#include "dialogs/CoverWell.h"
#include "dialogs/DialogButtons.h"
#include "io/Files.h"
#include "mp3/PictureFile.h"
#include "tags/Tags.h"

namespace tessaro {

namespace {

// The C library's "%d" reads from a buffer of 64 characters, its terminator included.
constexpr int kYearTextLimit = 63;
// The last year an ID3v1 tag's four digits hold.
constexpr int kLastYear = 9999;
// Wide enough to show a usual album or title in full.
constexpr int kFieldWidth = 212;

bool IsCSpace(QChar c) {
    switch (c.unicode()) {
        case ' ':
        case '\t':
        case '\n':
        case '\v':
        case '\f':
        case '\r':
            return true;
        default:
            return false;
    }
}

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

}  // namespace

std::optional<qint32> TagEditorDialog::ParseYear(const QString& text) {
    const QStringView window = QStringView(text).left(kYearTextLimit);
    qsizetype i = 0;
    while (i < window.size() && IsCSpace(window[i])) {
        ++i;
    }
    bool negative = false;
    if (i < window.size() && (window[i] == QLatin1Char('+') || window[i] == QLatin1Char('-'))) {
        negative = window[i] == QLatin1Char('-');
        ++i;
    }
    if (i == window.size() || !IsDigit(window[i])) {
        return std::nullopt;
    }
    // Stop growing one past the largest magnitude a 32-bit integer holds (that of its minimum),
    // so 63 digits never overflow the accumulator.
    constexpr qint64 kCap = qint64(std::numeric_limits<qint32>::max()) + 1;
    qint64 magnitude = 0;
    for (; i < window.size() && IsDigit(window[i]); ++i) {
        magnitude = std::min(kCap, magnitude * 10 + (window[i].unicode() - '0'));
    }
    if (negative) {
        return qint32(-magnitude);
    }
    return qint32(std::min(magnitude, kCap - 1));
}

TagEditorDialog::TagEditorDialog(QWidget* parent, const Fields& fields, bool written,
                                 std::function<QString()> pickPicture)
    : QDialog(parent),
      m_fields(fields),
      m_pickPicture(std::move(pickPicture)),
      m_coverEdit(new QLineEdit(this)),
      m_coverWell(new CoverWell(this)),
      m_albumEdit(new QLineEdit(fields.tag.album, this)),
      m_artistEdit(new QLineEdit(fields.tag.artist, this)),
      m_albumArtistEdit(new QLineEdit(fields.more.albumArtist, this)),
      m_titleEdit(new QLineEdit(fields.tag.title, this)),
      m_composerEdit(new QLineEdit(fields.more.composer, this)),
      m_genreBox(new QComboBox(this)),
      m_yearEdit(
          new QLineEdit(fields.tag.year == 0 ? QString() : QString::number(fields.tag.year), this)),
      m_commentEdit(new QLineEdit(fields.tag.comment, this)) {
    setWindowTitle(tr("ID3 tag editor"));
    m_yearEdit->setValidator(new QIntValidator(0, kLastYear, m_yearEdit));
    // Any genre may be typed; ID3v1's are offered, and completed as they are typed.
    m_genreBox->setEditable(true);
    m_genreBox->setInsertPolicy(QComboBox::NoInsert);
    m_genreBox->addItems(GenreNames());
    m_genreBox->setCurrentText(fields.more.genre);

    auto* group = new QGroupBox(tr("Main ID3 tag:"), this);
    auto* fieldGrid = new QGridLayout(group);
    const std::pair<QString, QWidget*> rows[] = {
        {tr("&Album:"), m_albumEdit},
        {tr("A&rtist:"), m_artistEdit},
        {tr("Album arti&st:"), m_albumArtistEdit},
        {tr("&Title:"), m_titleEdit},
        {tr("Com&poser/Narrator:"), m_composerEdit},
        {tr("&Genre:"), m_genreBox},
        {tr("&Year:"), m_yearEdit},
        {tr("&Comment:"), m_commentEdit},
    };
    int row = 0;
    QWidget* previous = nullptr;
    for (const auto& [text, field] : rows) {
        auto* label = new QLabel(text, group);
        label->setBuddy(field);
        field->setMinimumWidth(kFieldWidth);
        fieldGrid->addWidget(label, row, 0);
        fieldGrid->addWidget(field, row, 1);
        ++row;
        if (previous) {
            setTabOrder(previous, field);
        }
        previous = field;
    }
    fieldGrid->addWidget(m_coverWell, 0, 2, row, 1, Qt::AlignTop);
    connect(m_coverWell, &CoverWell::fileDropped, this, &TagEditorDialog::TakeCover);

    auto* coverLabel = new QLabel(tr("Co&ver:"), group);
    coverLabel->setBuddy(m_coverEdit);
    fieldGrid->addWidget(coverLabel, row, 0);
    fieldGrid->addWidget(CoverRow(previous), row, 1, 1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(group);
    // A tag typed in vain would otherwise be left out of the joined file without a word.
    auto* note = new QLabel(
        written ? tr("The tag is written into the joined file.")
                : tr("The tag is not written into the joined file while \"Save ID3 tag\" is off "
                     "in File > Preferences."),
        this);
    note->setWordWrap(true);
    layout->addWidget(note);
    const DialogButtons buttons =
        AddDialogButtons(*this, *layout, DialogButtons::OkCancel, Qt::AlignHCenter);
    setTabOrder(previous, buttons.ok);
    setTabOrder(buttons.ok, buttons.cancel);
    m_albumEdit->setFocus();
}

QWidget* TagEditorDialog::CoverRow(QWidget*& previous) {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_coverEdit->setReadOnly(true);
    m_coverEdit->setPlaceholderText(tr("none"));
    auto* choose = new QPushButton(tr("C&hoose..."), row);
    auto* remove = new QPushButton(tr("Re&move"), row);
    choose->setAutoDefault(false);
    remove->setAutoDefault(false);
    choose->setEnabled(bool(m_pickPicture));
    connect(choose, &QPushButton::clicked, this, &TagEditorDialog::ChooseCover);
    connect(remove, &QPushButton::clicked, this, [this] {
        m_fields.cover.clear();
        ShowCover({});
    });
    layout->addWidget(m_coverEdit, 1);
    layout->addWidget(choose);
    layout->addWidget(remove);
    for (QWidget* next : {static_cast<QWidget*>(m_coverEdit), static_cast<QWidget*>(choose),
                          static_cast<QWidget*>(remove)}) {
        setTabOrder(previous, next);
        previous = next;
    }
    ShowCover(CoverPicture());
    return row;
}

void TagEditorDialog::ShowCover(const QByteArray& picture) {
    m_coverEdit->setText(QFileInfo(m_fields.cover).fileName());
    m_coverEdit->setToolTip(QDir::toNativeSeparators(m_fields.cover));
    m_coverWell->ShowPicture(picture);
}

QByteArray TagEditorDialog::CoverPicture() const {
    // A file that has gone since it was chosen shows no thumbnail; the merge says it is missing.
    QString why;
    const std::optional<mp3::Picture> picture =
        m_fields.cover.isEmpty() ? std::nullopt : mp3::ReadPictureFile(m_fields.cover, &why);
    return picture ? picture->data : QByteArray();
}

void TagEditorDialog::ChooseCover() {
    const QString path = m_pickPicture();
    if (!path.isEmpty()) {
        TakeCover(path);
    }
}

void TagEditorDialog::TakeCover(const QString& path) {
    // Refused now rather than by the merge, long after the choice.
    QString why;
    const std::optional<mp3::Picture> picture = mp3::ReadPictureFile(path, &why);
    if (!picture) {
        QMessageBox::warning(this, QGuiApplication::applicationDisplayName(),
                             tr("Cannot use %1 as the cover picture: %2").arg(Quoted(path), why));
        return;
    }
    m_fields.cover = path;
    ShowCover(picture->data);
}

void TagEditorDialog::accept() {
    const QString text = m_yearEdit->text();
    const std::optional<qint32> year =
        text.trimmed().isEmpty() ? std::optional<qint32>(0) : ParseYear(text);
    if (!year || *year < 0 || *year > kLastYear) {
        QMessageBox::warning(
            this, QGuiApplication::applicationDisplayName(),
            !year ? tr("Enter an integer.") : tr("Enter a year from 0 to %1.").arg(kLastYear));
        m_yearEdit->setFocus();
        m_yearEdit->selectAll();
        return;
    }
    m_fields.tag = {m_albumEdit->text(), m_artistEdit->text(), m_titleEdit->text(), *year,
                    m_commentEdit->text()};
    m_fields.more = {m_genreBox->currentText(), m_albumArtistEdit->text(), m_composerEdit->text()};
    QDialog::accept();
}

}  // namespace tessaro
