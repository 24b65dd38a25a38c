#pragma once

#include <QKeySequence>
#include <vector>

#include "app/Commands.h"

class CMainFrame;

// Where a command shows in the menu bar.
enum class CommandMenu { File, Edit, View, Help };

// One command of the main frame, from which its action, its menu item, its tool-bar button and
// its enabling are made.
struct Command {
    CommandId id;
    const char* text;    // the menu text: "&" before its key, "\t" before the shortcut shown
    const char* prompt;  // the status-bar prompt, "\n", the tool tip; null for none
    const char* icon;    // of its tool-bar button; null when it has none
    QKeySequence shortcut;
    void (CMainFrame::*handler)();  // null for the view toggles, whose pane or bar acts
    bool idleOnly;                  // disabled while a merge runs
    CommandMenu menu;
    bool menuSeparator;     // a separator stands before it in its menu
    bool toolBarSeparator;  // a separator stands before its button
};

// Every command, in the order of the menus and of the tool bar.
const std::vector<Command>& CommandTable();
