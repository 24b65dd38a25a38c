#include "app/CommandTable.h"

#include <QCoreApplication>

#include "app/CMainFrame.h"

const std::vector<Command>& CommandTable() {
    using M = CommandMenu;
    const QKeySequence none;
    static const std::vector<Command> table = {
        {ID_FILE_NEW_WORKSPACE, QT_TRANSLATE_NOOP("CMainFrame", "&New\tCtrl+N"),
         QT_TRANSLATE_NOOP("CMainFrame", "Create a new workspace\nNew workspace"), "new",
         QKeySequence::New, &CMainFrame::OnNewWorkspace, true, M::File, false, false},
        {ID_FILE_OPEN_WORKSPACE, QT_TRANSLATE_NOOP("CMainFrame", "&Open\tCtrl+O"),
         QT_TRANSLATE_NOOP("CMainFrame",
                           "Open an existing workspace from your storage-disk\nOpen workspace"),
         "open", QKeySequence::Open, &CMainFrame::OnOpenWorkspace, true, M::File, true, false},
        {ID_FILE_SAVE_WORKSPACE, QT_TRANSLATE_NOOP("CMainFrame", "&Save\tCtrl+S"),
         QT_TRANSLATE_NOOP("CMainFrame", "Save workspace to your storage-disk\nSave workspace"),
         "save", QKeySequence::Save, &CMainFrame::OnSaveWorkspace, true, M::File, false, false},
        {ID_FILE_INSERT_MP3, QT_TRANSLATE_NOOP("CMainFrame", "&Insert MP3"),
         QT_TRANSLATE_NOOP("CMainFrame", "Insert mp3 file to workspace\nInsert MP3"), "insert",
         QKeySequence(Qt::CTRL | Qt::Key_I), &CMainFrame::OnInsertMp3, true, M::File, true, true},
        {ID_FILE_INSERT_FOLDER, QT_TRANSLATE_NOOP("CMainFrame", "Insert Folder..."),
         QT_TRANSLATE_NOOP("CMainFrame",
                           "Insert the mp3 files of a folder and its subfolders to workspace\n"
                           "Insert Folder"),
         nullptr, none, &CMainFrame::OnInsertFolder, true, M::File, false, false},
        {ID_FILE_REMOVE_MP3, QT_TRANSLATE_NOOP("CMainFrame", "&Remove MP3"),
         QT_TRANSLATE_NOOP("CMainFrame", "Remove mp3 file from workspace\nRemove MP3"), "remove",
         QKeySequence::Delete, &CMainFrame::OnRemoveMp3, true, M::File, false, false},
        {ID_FILE_MOVE_UP, QT_TRANSLATE_NOOP("CMainFrame", "&Up\tCtrl+UP"),
         QT_TRANSLATE_NOOP("CMainFrame", "Move current selected mp3 file up order\nMove UP"), "up",
         none, &CMainFrame::OnMoveUp, true, M::File, true, true},
        {ID_FILE_MOVE_DOWN, QT_TRANSLATE_NOOP("CMainFrame", "&Down\tCtrl+DOWN"),
         QT_TRANSLATE_NOOP("CMainFrame", "Move current selected mp3 file down order\nMove DOWN"),
         "down", none, &CMainFrame::OnMoveDown, true, M::File, false, false},
        {ID_FILE_ID3TAG_EDITOR, QT_TRANSLATE_NOOP("CMainFrame", "ID&3 Tag Editor ..."), nullptr,
         nullptr, none, &CMainFrame::OnID3TagEditor, true, M::File, true, false},
        {ID_FILE_MERGE, QT_TRANSLATE_NOOP("CMainFrame", "&Merge"),
         QT_TRANSLATE_NOOP("CMainFrame", "Merge all mp3 files into one\nStart to Merge"), "merge",
         QKeySequence(Qt::CTRL | Qt::Key_M), &CMainFrame::OnMerge, true, M::File, false, true},
        {ID_FILE_PREFERENCES, QT_TRANSLATE_NOOP("CMainFrame", "Preferences"),
         QT_TRANSLATE_NOOP("CMainFrame", "Show preferences\nPreferences"), "preferences",
         QKeySequence(Qt::CTRL | Qt::Key_Comma), &CMainFrame::OnPreferences, true, M::File, false,
         false},
        {ID_APP_EXIT, QT_TRANSLATE_NOOP("CMainFrame", "E&xit"), nullptr, nullptr,
         QKeySequence(Qt::CTRL | Qt::Key_Q), &CMainFrame::OnExit, false, M::File, true, false},
        {ID_EDIT_UNDO, QT_TRANSLATE_NOOP("CMainFrame", "&Undo"),
         QT_TRANSLATE_NOOP("CMainFrame", "Undo the last change of the workspace\nUndo"), nullptr,
         QKeySequence(Qt::CTRL | Qt::Key_Z), &CMainFrame::OnUndo, true, M::Edit, false, false},
        {ID_EDIT_REDO, QT_TRANSLATE_NOOP("CMainFrame", "&Redo"),
         QT_TRANSLATE_NOOP("CMainFrame", "Make the change undone last again\nRedo"), nullptr,
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &CMainFrame::OnRedo, true, M::Edit, false,
         false},
        // The Delete key is Remove MP3's; this item shows it.
        {ID_EDIT_CLEAR, QT_TRANSLATE_NOOP("CMainFrame", "&Delete\tDel"),
         QT_TRANSLATE_NOOP("CMainFrame", "Remove the selected mp3 files from workspace\nDelete"),
         nullptr, none, &CMainFrame::OnRemoveMp3, true, M::Edit, true, false},
        {ID_EDIT_SELECT_ALL, QT_TRANSLATE_NOOP("CMainFrame", "Select &All"),
         QT_TRANSLATE_NOOP("CMainFrame", "Select every mp3 file of workspace\nSelect All"), nullptr,
         QKeySequence::SelectAll, &CMainFrame::OnSelectAll, false, M::Edit, false, false},
        {ID_EDIT_SORT_BY_NAME, QT_TRANSLATE_NOOP("CMainFrame", "Sort by &File Name"),
         QT_TRANSLATE_NOOP("CMainFrame",
                           "Put the mp3 files in the order of their names, numbers by value\n"
                           "Sort by File Name"),
         nullptr, none, &CMainFrame::OnSortByFileName, true, M::Edit, true, false},
        {ID_EDIT_SORT_BY_TRACK, QT_TRANSLATE_NOOP("CMainFrame", "Sort by &Track Number"),
         QT_TRANSLATE_NOOP("CMainFrame",
                           "Put the mp3 files in the order of the disc and track numbers their "
                           "tags tell\nSort by Track Number"),
         nullptr, none, &CMainFrame::OnSortByTrack, true, M::Edit, false, false},
        {ID_VIEW_OUTPUT_WINDOW, QT_TRANSLATE_NOOP("CMainFrame", "&Output Window"),
         QT_TRANSLATE_NOOP("CMainFrame", "Show or hide output window"), nullptr, none, nullptr,
         false, M::View, false, false},
        {ID_VIEW_TOOL_BAR, QT_TRANSLATE_NOOP("CMainFrame", "&Tool Bar"), nullptr, nullptr, none,
         nullptr, false, M::View, true, false},
        {ID_VIEW_STATUS_BAR, QT_TRANSLATE_NOOP("CMainFrame", "&Status Bar"), nullptr, nullptr, none,
         nullptr, false, M::View, false, false},
        {ID_HELP_HELP, QT_TRANSLATE_NOOP("CMainFrame", "&Help"),
         QT_TRANSLATE_NOOP("CMainFrame", "Show help topics\nHelp"), "help",
         QKeySequence(Qt::Key_F1), &CMainFrame::OnHelp, false, M::Help, false, true},
        {ID_HELP_VISIT_WEB_SITE, QT_TRANSLATE_NOOP("CMainFrame", "Visit Veskaro Technology ..."),
         nullptr, nullptr, none, &CMainFrame::OnVisitWebSite, false, M::Help, true, false},
        {ID_APP_ABOUT, QT_TRANSLATE_NOOP("CMainFrame", "&About ..."), nullptr, nullptr, none,
         &CMainFrame::OnAbout, false, M::Help, true, false},
    };
    return table;
}
