#pragma once

#include <QFrame>

#include "view/CTessaroListBox.h"

// The main window's client area: a sunken frame that the track list fills exactly.
class CChildView : public QFrame {
    Q_OBJECT

public:
    explicit CChildView(TrackListModel& model, QWidget* parent = nullptr);

    CTessaroListBox& List() { return *m_wndList; }

private:
    CTessaroListBox* m_wndList;
};
