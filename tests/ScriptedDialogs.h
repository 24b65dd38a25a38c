#pragma once

#include <QQueue>
#include <QStringList>
#include <QTest>

#include "app/WindowDialogs.h"

// Answers the frame's dialogs from queues filled by the test and records every message box.
class ScriptedDialogs : public tessaro::WindowDialogs {
public:
    struct Message {
        Icon icon;
        QString caption;
        QString text;
    };

    QString GetOpenFileName(QWidget*, const QString& filter, const QString& suffix) override {
        asked << filter + QLatin1Char('|') + suffix;
        return openAnswers.isEmpty() ? QString() : openAnswers.dequeue();
    }
    QStringList GetOpenFileNames(QWidget*, const QString& filter, const QString& suffix) override {
        asked << filter + QLatin1Char('|') + suffix;
        return openManyAnswers.isEmpty() ? QStringList() : openManyAnswers.dequeue();
    }
    QString GetExistingFolder(QWidget*) override {
        asked << QStringLiteral("folder");
        return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
    }
    QString GetSaveFileName(QWidget*, const QString& filter, const QString& suffix,
                            const QString& proposed) override {
        asked << filter + QLatin1Char('|') + suffix;
        proposals << proposed;
        return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
    }
    void ShowMessage(QWidget*, Icon icon, const QString& caption, const QString& text) override {
        messages.append({icon, caption, text});
    }
    bool Confirm(QWidget*, const QString& caption, const QString& text, const QString& acceptText,
                 const QString& rejectText) override {
        messages.append({Icon::Information, caption,
                         text + QLatin1Char('|') + acceptText +
                             (rejectText.isEmpty() ? QString() : QLatin1Char('|') + rejectText)});
        // As a user who reads the question for a while, the window's events going on meanwhile.
        withdrawn = false;
        if (confirmWaitMs > 0 && QTest::qWaitFor([this] { return withdrawn; }, confirmWaitMs)) {
            return false;
        }
        return !confirmAnswers.isEmpty() && confirmAnswers.dequeue();
    }
    void WithdrawQuestion() override {
        withdrawn = true;
        ++withdrawals;
    }

    QQueue<QString> openAnswers;
    QQueue<QStringList> openManyAnswers;
    QQueue<QString> folderAnswers;
    QQueue<QString> saveAnswers;
    Answer AskToSave(QWidget*, const QString& question) override {
        questions << question;
        return saveQuestionAnswers.isEmpty() ? Answer::Cancel : saveQuestionAnswers.dequeue();
    }

    QQueue<bool> confirmAnswers;
    // How long a question waits to be withdrawn before its answer is taken; 0 for no wait.
    int confirmWaitMs = 0;
    bool withdrawn = false;
    int withdrawals = 0;  // WithdrawQuestion calls, with or without a question open
    QQueue<Answer> saveQuestionAnswers;
    QStringList questions;    // the unsaved-changes questions asked
    QStringList proposals;    // the file each save dialog proposed
    QStringList asked;        // "filter|suffix" of every file dialog shown, "folder" for others
    QList<Message> messages;  // questions too, their text ending in "|" and the accept text
};
