#include "app/SplitDialog.h"

#include <QButtonGroup>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

#include "app/ChapterCommands.h"
#include "app/SplitController.h"
#include "app/WindowDialogs.h"
#include "dialogs/DialogButtons.h"
#include "split/CutPoints.h"
#include "view/SplitPartsModel.h"

namespace tessaro {

namespace {

using By = CutPoints::By;

// The split of `source` as first proposed: into a folder beside it, named after it.
SplitRequest Proposed(const QString& source) {
    const QFileInfo file(source);
    SplitRequest request;
    request.source = source;
    request.folder = QDir(file.absolutePath()).filePath(file.completeBaseName());
    return request;
}

}  // namespace

SplitDialog::SplitDialog(QWidget* parent, const SplitSource& source, SplitController& controller,
                         WindowDialogs& dialogs)
    : QDialog(parent),
      m_source(source),
      m_controller(controller),
      m_controllerAlive(&controller),
      m_dialogs(dialogs),
      m_parts(new SplitPartsModel(Proposed(source.path), source.sampleRate, this)),
      m_by(new QButtonGroup(this)),
      m_chapterFile(new QLineEdit),
      m_times(new QLineEdit),
      m_every(new QLineEdit),
      m_silenceSeconds(new QDoubleSpinBox),
      m_silenceDb(new QDoubleSpinBox),
      m_line(new QLabel),
      m_stop(new QPushButton(tr("Sto&p"))),
      m_table(new QTableView),
      m_folder(new QLineEdit(m_parts->Request().folder)) {
    setWindowTitle(tr("Split %1").arg(QFileInfo(source.path).fileName()));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(CutChoices());

    auto* lineRow = new QHBoxLayout;
    m_line->setWordWrap(true);
    lineRow->addWidget(m_line, 1);
    lineRow->addWidget(m_stop);
    m_stop->setToolTip(tr("Stop looking for silences"));
    m_stop->hide();
    connect(m_stop, &QPushButton::clicked, &m_controller, &SplitController::Cancel);
    layout->addLayout(lineRow);

    m_table->setModel(m_parts);
    m_table->setAccessibleName(tr("Parts"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(SplitPartsModel::TitleColumn,
                                                      QHeaderView::Stretch);
    // F2 edits the current row's title, whichever cell was clicked.
    connect(m_table->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && current.column() != SplitPartsModel::TitleColumn) {
                    m_table->setCurrentIndex(current.siblingAtColumn(SplitPartsModel::TitleColumn));
                }
            });
    layout->addWidget(m_table, 1);
    layout->addWidget(FolderRow());

    const DialogButtons buttons =
        AddDialogButtons(*this, *layout, DialogButtons::OkCancel, Qt::AlignRight);
    m_ok = buttons.ok;
    m_ok->setText(tr("&Split"));
    connect(&m_controller, &SplitController::found, this, &SplitDialog::ShowFound);
    connect(&m_controller, &SplitController::progressed, this, [this](int percent) {
        if (m_controller.IsSearching()) {
            ShowLine(tr("Looking for silences… %1%").arg(percent), true);
        }
    });
    resize(640, 480);
    Refresh();
}

SplitDialog::~SplitDialog() {
    if (m_controllerAlive && m_controllerAlive->IsSearching()) {
        m_controllerAlive->Cancel();
    }
}

QWidget* SplitDialog::CutChoices() {
    auto* box = new QGroupBox(tr("Cut at"));
    auto* grid = new QGridLayout(box);
    const auto choice = [&](By by, const QString& text, int row) {
        auto* button = new QRadioButton(text);
        m_by->addButton(button, int(by));
        grid->addWidget(button, row, 0);
        return button;
    };
    choice(By::Chapters, tr("The file's own &chapters"), 0)->setChecked(true);
    // Typing or choosing a value chooses its way of cutting.
    const auto takes = [this](By by) {
        return [this, by] {
            m_by->button(int(by))->setChecked(true);
            Refresh();
        };
    };

    choice(By::ChapterFile, tr("A chapter &file:"), 1);
    m_chapterFile->setReadOnly(true);
    m_chapterFile->setAccessibleName(tr("Chapter file"));
    grid->addWidget(m_chapterFile, 1, 1);
    auto* chooseFile = new QPushButton(tr("C&hoose..."));
    chooseFile->setAccessibleName(tr("Choose a chapter file"));
    connect(chooseFile, &QPushButton::clicked, this, &SplitDialog::ChooseChapterFile);
    grid->addWidget(chooseFile, 1, 2);

    choice(By::Times, tr("&Times:"), 2);
    m_times->setPlaceholderText(tr("HH:MM:SS.mmm, …"));
    m_times->setAccessibleName(tr("Times to cut at"));
    connect(m_times, &QLineEdit::textEdited, this, takes(By::Times));
    grid->addWidget(m_times, 2, 1, 1, 2);

    choice(By::Every, tr("&Equal parts of:"), 3);
    m_every->setPlaceholderText(tr("HH:MM:SS.mmm"));
    m_every->setAccessibleName(tr("Length of each part"));
    connect(m_every, &QLineEdit::textEdited, this, takes(By::Every));
    grid->addWidget(m_every, 3, 1, 1, 2);

    choice(By::Silence, tr("Si&lences of at least:"), 4);
    auto* silence = new QHBoxLayout;
    const SilenceRule rule;
    m_silenceSeconds->setRange(0.1, 3600);
    m_silenceSeconds->setDecimals(1);
    m_silenceSeconds->setValue(rule.minSeconds);
    m_silenceSeconds->setSuffix(tr(" s"));
    m_silenceSeconds->setAccessibleName(tr("Shortest silence"));
    m_silenceDb->setRange(-120, 0);
    m_silenceDb->setDecimals(0);
    m_silenceDb->setValue(rule.thresholdDb);
    m_silenceDb->setSuffix(tr(" dB"));
    m_silenceDb->setAccessibleName(tr("Silence threshold"));
    silence->addWidget(m_silenceSeconds);
    silence->addWidget(new QLabel(tr("below")));
    silence->addWidget(m_silenceDb);
    silence->addStretch();
    for (QDoubleSpinBox* spin : {m_silenceSeconds, m_silenceDb}) {
        connect(spin, &QDoubleSpinBox::valueChanged, this, takes(By::Silence));
    }
    grid->addLayout(silence, 4, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    connect(m_by, &QButtonGroup::idClicked, this, &SplitDialog::Refresh);
    return box;
}

QWidget* SplitDialog::FolderRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(tr("F&older:"));
    label->setBuddy(m_folder);
    layout->addWidget(label);
    layout->addWidget(m_folder, 1);
    connect(m_folder, &QLineEdit::textChanged, m_parts, &SplitPartsModel::SetFolder);
    auto* choose = new QPushButton(tr("Bro&wse..."));
    choose->setAccessibleName(tr("Choose the folder"));
    connect(choose, &QPushButton::clicked, this, &SplitDialog::ChooseFolder);
    layout->addWidget(choose);
    return row;
}

std::optional<CutPoints> SplitDialog::Cuts(QString* why) const {
    CutPoints cuts;
    cuts.by = By(m_by->checkedId());
    switch (cuts.by) {
        case By::Chapters:
            break;
        case By::ChapterFile:
            cuts.chapterFile = m_chapterFile->text();
            if (cuts.chapterFile.isEmpty()) {
                *why = tr("Choose the chapter file to cut at.");
                return std::nullopt;
            }
            break;
        case By::Times:
            for (const QString& text :
                 m_times->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                const std::optional<double> time = ReadTime(text.trimmed());
                if (!time || (!cuts.times.empty() && *time <= cuts.times.back())) {
                    *why = tr("Times are HH:MM:SS.mmm, MM:SS or seconds, each later than the one "
                              "before: \"%1\" is not.")
                               .arg(text.trimmed());
                    return std::nullopt;
                }
                // The split would refuse it only once started.
                if (*time * m_source.sampleRate >= double(m_source.samples)) {
                    *why = tr("\"%1\" lies past the end of the file.").arg(text.trimmed());
                    return std::nullopt;
                }
                cuts.times.push_back(*time);
            }
            if (cuts.times.empty()) {
                *why = tr("Type the times to cut at.");
                return std::nullopt;
            }
            break;
        case By::Every: {
            const std::optional<double> every = ReadTime(m_every->text().trimmed());
            if (!every || *every <= 0) {
                *why = tr("Type the length of each part, as HH:MM:SS.mmm, MM:SS or seconds.");
                return std::nullopt;
            }
            cuts.every = *every;
            break;
        }
        case By::Silence:
            cuts.silence = {m_silenceSeconds->value(), m_silenceDb->value()};
            break;
    }
    return cuts;
}

void SplitDialog::Refresh() {
    QString why;
    const std::optional<CutPoints> cuts = Cuts(&why);
    m_ok->setEnabled(false);
    if (!cuts) {
        if (m_controller.IsSearching()) {
            m_controller.Cancel();
        }
        m_parts->SetParts({});
        ShowLine(why, false);
        return;
    }
    const bool silence = cuts->by == By::Silence;
    ShowLine(silence ? tr("Looking for silences…") : QString(), silence);
    m_controller.FindParts(*cuts, m_source);
}

void SplitDialog::ShowFound(const FoundParts& found) {
    if (found.usage && m_by->checkedId() == int(By::Chapters)) {
        // The file has no chapters of its own: times are the likeliest way to cut it.
        QAbstractButton* chapters = m_by->button(int(By::Chapters));
        chapters->setText(tr("The file's own &chapters (it has none)"));
        chapters->setEnabled(false);
        m_by->button(int(By::Times))->setChecked(true);
        m_times->setFocus();
        Refresh();
        return;
    }
    m_parts->SetParts(found.parts);
    ShowLine(found.error, false);
    m_ok->setEnabled(!found.parts.empty());
}

void SplitDialog::ShowLine(const QString& text, bool searching) {
    m_line->setText(text);
    m_line->setVisible(!text.isEmpty());
    m_stop->setVisible(searching);
}

QString SplitDialog::Line() const {
    return m_line->text();
}

void SplitDialog::ChooseChapterFile() {
    const QString path =
        m_dialogs.GetOpenFileName(this, ChapterCommands::Filter(), QStringLiteral("txt"));
    if (!path.isEmpty()) {
        m_chapterFile->setText(path);
        m_by->button(int(By::ChapterFile))->setChecked(true);
        Refresh();
    }
}

void SplitDialog::ChooseFolder() {
    const QString folder = m_dialogs.GetExistingFolder(this);
    if (!folder.isEmpty()) {
        m_folder->setText(folder);
    }
}

SplitRequest SplitDialog::Request() const {
    SplitRequest request = m_parts->Request();
    request.force = m_force;
    request.read = m_source.frames;  // read when the file was chosen: not read again
    return request;
}

void SplitDialog::accept() {
    if (m_controller.IsSearching() || m_parts->rowCount() == 0) {
        return;
    }
    int taken = 0;
    for (const QString& name : m_parts->Names()) {
        taken += QFileInfo::exists(name) ? 1 : 0;
    }
    // The split refuses to replace files unless told to.
    if (taken > 0 && !m_dialogs.Confirm(this, tr("Split MP3"),
                                        tr("%n of the parts' files exist already in %1. "
                                           "Replace them?",
                                           nullptr, taken)
                                            .arg(QDir::toNativeSeparators(m_folder->text())),
                                        tr("&Replace"), tr("Cancel"))) {
        return;
    }
    m_force = taken > 0;
    QDialog::accept();
}

void SplitDialog::reject() {
    if (m_controller.IsSearching()) {
        m_controller.Cancel();
    }
    QDialog::reject();
}

}  // namespace tessaro
