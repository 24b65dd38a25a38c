#include "workspace/TrackOrder.h"

#include <QHash>
#include <algorithm>
#include <numeric>

#include "workspace/Exception.h"

namespace tessaro {

QList<int> CheckedRows(QList<int> rows, int count) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (!rows.isEmpty() && (rows.first() < 0 || rows.last() >= count)) {
        throw x::BadBound();
    }
    return rows;
}

Rearrangement StepRows(int count, const QList<int>& rows, Direction direction) {
    const QList<int> checked = CheckedRows(rows, count);
    const bool up = direction == Direction::Up;
    if (checked.isEmpty() || (up && checked.first() == 0) || (!up && checked.last() == count - 1)) {
        throw x::BadBound();
    }
    // Each row changes place with the neighbour beyond it; a block of them passes that
    // neighbour together, as each has been moved before the next is.
    Rearrangement result;
    result.order.resize(count);
    std::iota(result.order.begin(), result.order.end(), 0);
    const int step = up ? -1 : 1;
    for (int i = 0; i < checked.size(); ++i) {
        const int row = checked[up ? i : checked.size() - 1 - i];
        result.order.swapItemsAt(row, row + step);
        result.landed << row + step;
    }
    std::sort(result.landed.begin(), result.landed.end());
    return result;
}

Rearrangement MoveRowsBefore(int count, const QList<int>& rows, int to) {
    const QList<int> moved = CheckedRows(rows, count);
    if (to < 0 || to > count) {
        throw x::BadBound();
    }
    Rearrangement result;
    for (int row = 0; row < count; ++row) {
        if (!std::binary_search(moved.begin(), moved.end(), row)) {
            result.order << row;
        }
    }
    // Before the first of the others at or after `to`.
    const auto before = std::lower_bound(result.order.begin(), result.order.end(), to);
    const int at = int(before - result.order.begin());
    result.order.insert(at, moved.size(), 0);
    for (int i = 0; i < moved.size(); ++i) {
        result.order[at + i] = moved[i];
        result.landed << at + i;
    }
    return result;
}

QList<int> OrderOf(const QStringList& paths, const QStringList& target) {
    if (target.size() != paths.size()) {
        throw x::BadBound();
    }
    // The rows of each path, taken first to last, so that equal paths keep their order.
    QHash<QString, QList<int>> rows;
    for (int row = int(paths.size()) - 1; row >= 0; --row) {
        rows[paths[row]] << row;
    }
    QList<int> order;
    order.reserve(target.size());
    for (const QString& path : target) {
        QList<int>& left = rows[path];
        if (left.isEmpty()) {
            throw x::BadBound();
        }
        order << left.takeLast();
    }
    return order;
}

}  // namespace tessaro
