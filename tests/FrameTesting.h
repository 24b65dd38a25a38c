#pragma once

// Helpers of the tests that drive the main window.

#include <QListWidget>
#include <QStringList>
#include <memory>

#include "ScriptedDialogs.h"
#include "app/CMainFrame.h"
#include "view/OutputPane.h"
#include "view/TrackListModel.h"

namespace testing_files {

// A main window (or a test's subclass of it) whose dialogs answer from a script; `script` is
// set to that script.
template <typename Frame = CMainFrame>
std::unique_ptr<Frame> MakeScriptedFrame(ScriptedDialogs*& script) {
    auto frame = std::make_unique<Frame>();
    auto dialogs = std::make_unique<ScriptedDialogs>();
    script = dialogs.get();
    frame->SetDialogs(std::move(dialogs));
    return frame;
}

// The log's texts without their time stamps, oldest first.
inline QStringList LogTexts(CMainFrame& frame) {
    QStringList texts;
    const QListWidget& list = frame.Output().List();
    for (int i = list.count() - 1; i >= 0; --i) {
        texts << list.item(i)->text().mid(9);
    }
    return texts;
}

// The paths of the list's entries, top to bottom.
inline QStringList EntryPaths(const TrackListModel& model) {
    QStringList paths;
    for (int i = 0; i < model.GetTrackCount(); ++i) {
        paths << model.GetTrackPath(i);
    }
    return paths;
}

}  // namespace testing_files
