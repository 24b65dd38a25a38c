#pragma once

#include <QDockWidget>

class QLabel;
class QTableView;

namespace tessaro {

class ChapterListModel;

// The dockable "Chapters" pane: a line that tells what the list below shows (or why it shows
// nothing), and the chapters the next merge writes, their titles edited in place (F2 or a
// double click).
class ChapterPane : public QDockWidget {
    Q_OBJECT

public:
    ChapterPane(ChapterListModel& model, QWidget* parent = nullptr);

    QTableView& Table() { return *m_table; }
    const QLabel& Line() const { return *m_line; }
    // The line above the chapters; hidden while empty.
    void SetLine(const QString& text);

private:
    QLabel* m_line;
    QTableView* m_table;
    // The table's current row before the chapters were replaced; -1 for none.
    int m_currentRow = -1;
};

}  // namespace tessaro
