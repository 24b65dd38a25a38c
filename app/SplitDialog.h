#pragma once

#include <QDialog>
#include <QPointer>

#include "split/CutPoints.h"
#include "split/Split.h"

class QAbstractButton;
class QButtonGroup;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tessaro {

class SplitController;
class SplitPartsModel;
class WindowDialogs;
struct FoundParts;

// Where File > Split MP3 cuts its file and where the parts go: at the file's own chapters (or,
// where it has none, at times typed), at a chapter file's, at times, into parts of one length, or
// at silences. Each choice finds the parts anew on the controller's thread, so that a silence
// search never holds the window; the parts show in a table whose titles are renamed in place,
// with the names the files get. The folder is proposed beside the file, named after it.
// On accept, Request() is the split to start; parts that would replace files are asked about
// first, and the dialog stays open if they are not to be replaced.
class SplitDialog : public QDialog {
    Q_OBJECT

public:
    SplitDialog(QWidget* parent, const SplitSource& source, SplitController& controller,
                WindowDialogs& dialogs);
    // Gives up a search that still runs.
    ~SplitDialog() override;

    // The split as the dialog shows it.
    SplitRequest Request() const;
    SplitPartsModel& Parts() { return *m_parts; }
    // The line under the choices: why there are no parts, or that they are being looked for.
    QString Line() const;

    void accept() override;
    void reject() override;

private:
    QWidget* CutChoices();
    QWidget* FolderRow();
    // The cut points the choices stand for; none, with the reason in *why, for times that cannot
    // be read.
    std::optional<CutPoints> Cuts(QString* why) const;
    // Finds the parts at the chosen cut points.
    void Refresh();
    void ShowFound(const FoundParts& found);
    void ShowLine(const QString& text, bool searching);
    void ChooseChapterFile();
    void ChooseFolder();

    SplitSource m_source;
    SplitController& m_controller;
    // The same, gone once the window that holds both destroys it, which may come first.
    QPointer<SplitController> m_controllerAlive;
    WindowDialogs& m_dialogs;
    SplitPartsModel* m_parts;
    QButtonGroup* m_by;
    QLineEdit* m_chapterFile;
    QLineEdit* m_times;
    QLineEdit* m_every;
    QDoubleSpinBox* m_silenceSeconds;
    QDoubleSpinBox* m_silenceDb;
    QLabel* m_line;
    QPushButton* m_stop;
    QTableView* m_table;
    QLineEdit* m_folder;
    QPushButton* m_ok;
    bool m_force = false;
};

}  // namespace tessaro
