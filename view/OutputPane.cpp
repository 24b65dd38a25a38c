#include "view/OutputPane.h"

#include <algorithm>
#include <functional>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QListWidget>
#include <QMessageBox>
#include <QTime>

#include "io/AtomicWrite.h"

namespace tessaro {
namespace {

LogDialogs RealDialogs() {
    return {[](QWidget* parent) {
                return QFileDialog::getSaveFileName(
                    parent, OutputPane::tr("Save Log"), QStringLiteral("tessaro-log.txt"),
                    OutputPane::tr("Text files (*.txt);;All files (*)"));
            },
            [](QWidget* parent, const QString& text) {
                QMessageBox::critical(parent, OutputPane::tr("Save Log"), text);
            }};
}

// The lines of `list` in the rows given, bottom (oldest) to top.
QStringList OldestFirst(const QListWidget& list, QList<int> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    QStringList lines;
    for (int row : rows) {
        lines << list.item(row)->text();
    }
    return lines;
}

QList<int> AllRows(const QListWidget& list) {
    QList<int> rows;
    for (int row = 0; row < list.count(); ++row) {
        rows << row;
    }
    return rows;
}

QString Joined(const QStringList& lines) {
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

}  // namespace

OutputPane::OutputPane(QWidget* parent)
    : QDockWidget(tr("Output"), parent), m_list(new QListWidget(this)), m_dialogs(RealDialogs()) {
    setObjectName(QStringLiteral("OutputPane"));  // for the saved window layout
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
    setAllowedAreas(Qt::AllDockWidgetAreas);
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setUniformItemSizes(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_list->setAccessibleName(tr("Output log"));
    setWidget(m_list);

    auto* copy = new QAction(tr("&Copy"), m_list);
    copy->setShortcut(QKeySequence::Copy);
    // The list's own, so that Ctrl+C elsewhere in the window keeps its meaning there.
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &OutputPane::CopyLines);
    auto* clear = new QAction(tr("C&lear"), m_list);
    connect(clear, &QAction::triggered, m_list, &QListWidget::clear);
    auto* save = new QAction(tr("&Save Log…"), m_list);
    connect(save, &QAction::triggered, this, &OutputPane::SaveLog);
    m_list->addActions({copy, clear, save});
}

void OutputPane::AppendLogLine(const QString& text) {
    const QString line =
        QTime::currentTime().toString(QStringLiteral("HH:mm:ss")) + QLatin1Char(':') + text;
    auto* item = new QListWidgetItem(line);
    item->setToolTip(line);  // a line wider than the pane is read whole there
    m_list->insertItem(0, item);
}

QStringList OutputPane::ChosenLines() const {
    QList<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) {
        rows << index.row();
    }
    return OldestFirst(*m_list, rows.isEmpty() ? AllRows(*m_list) : rows);
}

void OutputPane::CopyLines() {
    QApplication::clipboard()->setText(Joined(ChosenLines()));
}

void OutputPane::SaveLog() {
    const QString path = m_dialogs.saveTarget(this);
    if (path.isEmpty()) {
        return;
    }
    const QByteArray text = Joined(OldestFirst(*m_list, AllRows(*m_list))).toUtf8();
    const QString problem = WriteAtomically(path, text);
    if (!problem.isEmpty()) {
        m_dialogs.showFailure(this, tr("The log could not be saved to %1:\n%2")
                                        .arg(QDir::toNativeSeparators(path), problem));
    }
}

}  // namespace tessaro
