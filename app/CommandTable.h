#pragma once

#include <QKeySequence>
#include <functional>
#include <vector>

namespace tessaro {

// Where a command shows in the menu bar.
enum class CommandMenu { File, Edit, Play, View, Help };

// When a command can be given.
enum class CommandUse {
    Always,
    Idle,                   // while no merge runs
    IdleWithEntries,        // while no merge runs and the list has entries
    IdleWithInputChapters,  // as IdleWithEntries, while the chapters go by the inputs
    IdleWithChapterFile,    // while no merge runs and a chapter file is imported
    Entry,                  // while an entry is selected
    EntryWithNext           // while an entry is selected that is not the last
};

// One command of the main window, from which its action, its menu item, its tool-bar button,
// its place in the list's context menu and its enabling are made.
struct Command {
    const char* name;              // the action's object name, by which it is found
    const char* text;              // the menu text, "&" before its access key
    const char* prompt = nullptr;  // the status-bar prompt, "\n", the tool tip; null for none
    const char* icon = nullptr;    // of its tool-bar button; null when it has none
    // The platform's keys for it, and further keys of its own.
    QKeySequence::StandardKey standardKeys = QKeySequence::UnknownKey;
    QKeySequence keys{};
    std::function<void()> handler{};  // empty for the view toggles, whose pane or bar acts
    CommandUse use = CommandUse::Always;
    CommandMenu menu = CommandMenu::File;
    bool menuSeparator = false;     // a separator stands before it in its menu
    bool toolBarSeparator = false;  // a separator stands before its button
    bool onList = false;            // offered by the list's context menu
    // Its keys act in the list alone, so that elsewhere they stay the focused widget's own.
    bool listKeys = false;
};

}  // namespace tessaro
