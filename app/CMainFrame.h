#pragma once

#include <QMainWindow>

#include "workspace/TessaroWorkSpace.h"

class CChildView;
class COutputWnd;
class CTessaroListBox;
class QLabel;
class QMenuBar;
class QProgressBar;
class QStatusBar;
class QToolBar;

// The one main window: the track list in the middle, the tool bar on top, the output pane
// docked at the bottom and the status bar with the merge progress bar.
class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    static constexpr const char* kTitle = "Zovi Tessaro 1.2";

    CMainFrame();
    ~CMainFrame() override;

    // Window geometry and bar layout of the last run, kept by QSettings.
    void RestoreLayout();

    tessaro::TessaroWorkSpace& Workspace() { return m_workspace; }
    CTessaroListBox& List();
    COutputWnd& Output() { return *m_wndOutput; }
    QProgressBar& Progress() { return *m_progress; }
    QStatusBar& StatusBar() { return *m_wndStatusBar; }

protected:
    void focusInEvent(QFocusEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateStatusBar();
    // 300 pixels wide, ending 150 pixels before the status bar's right end, 2 pixels inside it.
    void PlaceProgress();
    void UpdateLockIndicators();

    QString m_outputPath;
    bool m_saveID3Tag = false;
    // Created before the workspace, which binds to its track list.
    CChildView* m_wndView;
    tessaro::TessaroWorkSpace m_workspace;
    QProgressBar* m_progress;
    QToolBar* m_wndToolBar;
    QMenuBar* m_wndMenuBar;
    QStatusBar* m_wndStatusBar;
    COutputWnd* m_wndOutput;
    QLabel* m_indicators[3];  // CAP, NUM, SCRL
};
