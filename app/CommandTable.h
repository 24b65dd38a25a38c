#pragma once

#include <QKeySequence>
#include <vector>

namespace tessaro {

class MainWindow;

// Where a command shows in the menu bar.
enum class CommandMenu { File, Edit, View, Help };

// When a command can be given.
enum class CommandUse {
    Always,
    Idle,            // while no merge runs
    IdleWithEntries  // while no merge runs and the list has entries
};

// One command of the main window, from which its action, its menu item, its tool-bar button,
// its place in the list's context menu and its enabling are made.
struct Command {
    const char* name;    // the action's object name, by which it is found
    const char* text;    // the menu text, "&" before its access key
    const char* prompt;  // the status-bar prompt, "\n", the tool tip; null for none
    const char* icon;    // of its tool-bar button; null when it has none
    QKeySequence::StandardKey standardKeys;  // the platform's keys for it, or UnknownKey
    QKeySequence keys;                       // further keys of its own
    void (MainWindow::*handler)();           // null for the view toggles, whose pane or bar acts
    CommandUse use;
    CommandMenu menu;
    bool menuSeparator;     // a separator stands before it in its menu
    bool toolBarSeparator;  // a separator stands before its button
    bool onList;            // offered by the list's context menu
};

// Every command, in the order of the menus and of the tool bar.
const std::vector<Command>& CommandTable();

}  // namespace tessaro
