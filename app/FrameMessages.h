#pragma once

#include <QString>

// The main frame's private message protocol: the protocol's seven, and a request to stop the
// merge. The track list asks for the move of a drag through a signal of its own, as the rows it
// moves do not fit in a message's parameters.
using WPARAM = quintptr;
using LPARAM = qintptr;
using LRESULT = qintptr;

constexpr quint32 WM_APP = 0x8000;

enum FrameMessage : quint32 {
    // wParam: new bar position (0: none); lParam: new range maximum (0: none). Sent.
    WM_MERGE_PROGRESS = WM_APP + 1000,
    // Posted by the merge thread once the job has returned.
    WM_MERGE_FINISHED = WM_APP + 1001,
    WM_TRACK_MOVE_UP = WM_APP + 1002,
    WM_TRACK_MOVE_DOWN = WM_APP + 1003,
    // A line for the log; its text travels typed, as the argument of a signal.
    WM_LOG_TEXT = WM_APP + 1004,
    // Result 1 while a merge runs.
    WM_QUERY_MERGING = WM_APP + 1005,
    // Result 1 when the tag is to be written into the merge output.
    WM_QUERY_SAVE_ID3TAG = WM_APP + 1006,
    // Asks the running merge, if any, to stop.
    WM_CANCEL_MERGE = WM_APP + 1008,
};

// The window that handles the messages, on the GUI thread.
class FrameMessageTarget {
public:
    virtual LRESULT SendFrameMessage(quint32 message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~FrameMessageTarget() = default;
};
