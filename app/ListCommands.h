#pragma once

#include <QObject>

#include "workspace/TrackOrder.h"

namespace tessaro {

class TrackListView;
class WorkspaceDocument;

// Edit > Remove, Move Up and Down, the sorts and the drags within the list: each a step to undo
// that changes the order of the document's entries or takes some out, the selection going with
// its entries, and logged.
class ListCommands : public QObject {
    Q_OBJECT

public:
    // The selection is `view`'s.
    ListCommands(WorkspaceDocument& document, TrackListView& view);

    // The entries selected.
    void Remove();
    void Move(Direction direction);
    void SortByFileName();
    void SortByTrack();
    // The rows dragged (sorted) to go before row `before`.
    void MoveDragged(const QList<int>& rows, int before);

Q_SIGNALS:
    void logged(const QString& line);

private:
    // Puts the entries in a new order as a step to undo; false, doing nothing, for the same.
    bool Arrange(const QString& step, const Rearrangement& arrangement);
    // The order that gives the entries' paths as `target` (a sort of them), the selection kept.
    Rearrangement SortedAs(const QStringList& target) const;

    WorkspaceDocument& m_document;
    TrackListView& m_view;
};

}  // namespace tessaro
