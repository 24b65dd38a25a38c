#include "app/ListCommands.h"

#include "app/WorkspaceCommands.h"
#include "app/WorkspaceDocument.h"
#include "view/TrackListModel.h"
#include "view/TrackListView.h"
#include "workspace/Exception.h"
#include "workspace/NaturalOrder.h"

namespace tessaro {

ListCommands::ListCommands(WorkspaceDocument& document, TrackListView& view)
    : QObject(&document), m_document(document), m_view(view) {}

Rearrangement ListCommands::SortedAs(const QStringList& target) const {
    Rearrangement sorted{OrderOf(m_document.Tracks().Paths(), target), {}};
    // The selection goes with its entries.
    const QList<int> selected = m_view.SelectedRows();
    for (int row = 0; row < sorted.order.size(); ++row) {
        if (std::binary_search(selected.begin(), selected.end(), sorted.order[row])) {
            sorted.landed << row;
        }
    }
    return sorted;
}

bool ListCommands::Arrange(const QString& step, const Rearrangement& arrangement) {
    if (std::is_sorted(arrangement.order.begin(), arrangement.order.end())) {
        return false;
    }
    m_document.Push(new ArrangeTracks(step, m_document.Parts(), arrangement));
    return true;
}

void ListCommands::SortByFileName() {
    Arrange(tr("Sort by File Name"), SortedAs(SortedByFileName(m_document.Tracks().Paths())));
    Q_EMIT logged(tr("MP3 files sorted by file name."));
}

void ListCommands::SortByTrack() {
    Arrange(tr("Sort by Track Number"), SortedAs(SortedByTrack(m_document.Tracks().Paths())));
    Q_EMIT logged(tr("MP3 files sorted by track number."));
}

void ListCommands::MoveDragged(const QList<int>& rows, int before) {
    if (!Arrange(tr("Move"), MoveRowsBefore(m_document.Tracks().Count(), rows, before))) {
        return;  // dropped where they stood
    }
    Q_EMIT logged(
        rows.size() == 1
            ? tr("Move mp3 file from position %1 to %2").arg(rows.first()).arg(before)
            : tr("Move %n mp3 files to position %1", nullptr, int(rows.size())).arg(before));
}

void ListCommands::Remove() {
    const QList<int> selection = m_view.SelectedRows();
    if (selection.isEmpty()) {
        return;
    }
    Q_EMIT logged(selection.size() == 1 ? tr("MP3 file has been removed from workspace.")
                                        : tr("%n MP3 files have been removed from workspace.",
                                             nullptr, int(selection.size())));
    m_document.Push(new RemoveTracks(tr("Remove"), m_document.Parts(), selection));
}

void ListCommands::Move(Direction direction) {
    const QList<int> selection = m_view.SelectedRows();
    if (selection.isEmpty()) {
        return;
    }
    const bool up = direction == Direction::Up;
    const int count = int(selection.size());
    try {
        Arrange(up ? tr("Move Up") : tr("Move Down"),
                StepRows(m_document.Tracks().Count(), selection, direction));
        Q_EMIT logged(count == 1 ? (up ? tr("MP3 file moved up.") : tr("MP3 file moved down."))
                                 : (up ? tr("%n MP3 files moved up.", nullptr, count)
                                       : tr("%n MP3 files moved down.", nullptr, count)));
    } catch (const x::BadBound&) {
        // The first entry cannot move up, nor the last one down: nothing to do or say.
    }
}

}  // namespace tessaro
