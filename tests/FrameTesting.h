#pragma once

// Helpers of the tests that drive the main window.

#include <QListWidget>
#include <QStringList>
#include <memory>

#include "ScriptedDialogs.h"
#include "app/MainWindow.h"
#include "app/WorkspaceDocument.h"
#include "view/OutputPane.h"
#include "view/TrackListModel.h"

namespace testing_files {

// A main window (or a test's subclass of it) whose dialogs answer from a script; `script` is
// set to that script.
template <typename Frame = tessaro::MainWindow>
std::unique_ptr<Frame> MakeScriptedFrame(ScriptedDialogs*& script) {
    auto frame = std::make_unique<Frame>();
    auto dialogs = std::make_unique<ScriptedDialogs>();
    script = dialogs.get();
    frame->SetDialogs(std::move(dialogs));
    return frame;
}

// The log's texts without their time stamps, oldest first.
inline QStringList LogTexts(tessaro::MainWindow& frame) {
    QStringList texts;
    const QListWidget& list = frame.Output().List();
    for (int i = list.count() - 1; i >= 0; --i) {
        texts << list.item(i)->text().mid(9);
    }
    return texts;
}

// The paths of the list's entries, top to bottom.
inline QStringList EntryPaths(const tessaro::TrackListModel& model) {
    return model.Paths();
}

// The window's workspace as it stands whenever asked.
struct LiveWorkspace {
    tessaro::MainWindow& window;
    QStringList Paths() const { return window.Document().Tracks().Paths(); }
    tessaro::OutputTag Tag() const { return window.Document().Tag(); }
    void AddPath(const QString& path) const;
    void SetTag(const tessaro::OutputTag& tag) const { window.Document().SetTag(tag); }
};

// Puts a file at the end of the window's list, as a test's setting, not as a step to undo.
inline void AddEntry(tessaro::MainWindow& window, const QString& path) {
    window.Document().Tracks().Insert(window.Document().Tracks().Count(), {path});
}

inline void LiveWorkspace::AddPath(const QString& path) const {
    AddEntry(window, path);
}

}  // namespace testing_files
