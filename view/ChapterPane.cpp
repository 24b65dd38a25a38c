#include "view/ChapterPane.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "view/ChapterListModel.h"

namespace tessaro {

ChapterPane::ChapterPane(ChapterListModel& model, QWidget* parent)
    : QDockWidget(tr("Chapters"), parent), m_line(new QLabel), m_table(new QTableView) {
    setObjectName(QStringLiteral("ChaptersPane"));  // for the saved window layout
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    m_line->setWordWrap(true);
    m_line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_line->setContentsMargins(4, 2, 4, 2);
    m_line->hide();
    layout->addWidget(m_line);
    layout->addWidget(m_table, 1);
    setWidget(content);

    m_table->setModel(&model);
    m_table->setAccessibleName(tr("Chapters"));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(ChapterListModel::TitleColumn,
                                                      QHeaderView::Stretch);
    // The keyboard stays on the titles, so that F2 edits the current row's, and on its row
    // while the chapters are worked out anew.
    connect(
        m_table->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex& current) {
            if (current.isValid() && current.column() != ChapterListModel::TitleColumn) {
                m_table->setCurrentIndex(current.siblingAtColumn(ChapterListModel::TitleColumn));
            }
        });
    connect(&model, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_currentRow = m_table->currentIndex().row(); });
    connect(&model, &QAbstractItemModel::modelReset, this, [this, &model] {
        if (model.rowCount() > 0) {
            const int row = qBound(0, m_currentRow, model.rowCount() - 1);
            m_table->setCurrentIndex(model.index(row, ChapterListModel::TitleColumn));
        }
    });
}

void ChapterPane::SetLine(const QString& text) {
    m_line->setText(text);
    m_line->setVisible(!text.isEmpty());
}

}  // namespace tessaro
