#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

class QMessageBox;
class QWidget;

namespace tessaro {

// The file dialogs and message boxes the frame's commands show, behind an interface so that
// tests answer them from a script.
class WindowDialogs {
public:
    enum class Icon { Information, Error };

    virtual ~WindowDialogs() = default;

    // An empty result or list means the dialog was cancelled. `filter` is in Qt's form, for
    // example "MP3 files(*.mp3)"; `suffix` is added to a typed name that has none.
    virtual QString GetOpenFileName(QWidget* parent, const QString& filter,
                                    const QString& suffix) = 0;
    virtual QStringList GetOpenFileNames(QWidget* parent, const QString& filter,
                                         const QString& suffix) = 0;
    // A folder to take files from; empty when cancelled.
    virtual QString GetExistingFolder(QWidget* parent) = 0;
    // Asks before overwriting an existing file; opens on `proposed` (a file's path) when given.
    virtual QString GetSaveFileName(QWidget* parent, const QString& filter, const QString& suffix,
                                    const QString& proposed = QString()) = 0;
    // Whether unsaved changes are to be saved first, as `question` asks (Esc cancels).
    enum class Answer { Save, Discard, Cancel };
    virtual Answer AskToSave(QWidget* parent, const QString& question) = 0;
    virtual void ShowMessage(QWidget* parent, Icon icon, const QString& caption,
                             const QString& text) = 0;
    // A question with a button for `acceptText` and one for `rejectText`, or one to close it
    // where that is empty; true for the first.
    virtual bool Confirm(QWidget* parent, const QString& caption, const QString& text,
                         const QString& acceptText, const QString& rejectText = QString()) = 0;
    // Takes away the question Confirm shows, if any, which then returns false: what it asked
    // has been settled meanwhile.
    virtual void WithdrawQuestion() = 0;
};

// Where a file dialog opens: the folder used last, remembered across runs with the window's
// settings; the first time, the user's Music folder if there is one, else home.
QString StartFolder();
void RememberFolder(const QString& folder);
// The file dialogs' filter for the MPEG audio files the list takes and a merge writes.
QString Mp3Filter();

// The real thing: QFileDialog and QMessageBox.
class QtWindowDialogs : public WindowDialogs {
public:
    QString GetOpenFileName(QWidget* parent, const QString& filter, const QString& suffix) override;
    QStringList GetOpenFileNames(QWidget* parent, const QString& filter,
                                 const QString& suffix) override;
    QString GetExistingFolder(QWidget* parent) override;
    QString GetSaveFileName(QWidget* parent, const QString& filter, const QString& suffix,
                            const QString& proposed) override;
    Answer AskToSave(QWidget* parent, const QString& question) override;
    void ShowMessage(QWidget* parent, Icon icon, const QString& caption,
                     const QString& text) override;
    bool Confirm(QWidget* parent, const QString& caption, const QString& text,
                 const QString& acceptText, const QString& rejectText) override;
    void WithdrawQuestion() override;

private:
    // The question Confirm shows; null while none is open.
    QPointer<QMessageBox> m_question;
};

}  // namespace tessaro
