#include "view/SplitPartsModel.h"

#include <QFileInfo>

#include "view/ChapterListModel.h"

namespace tessaro {

SplitPartsModel::SplitPartsModel(const SplitRequest& request, int sampleRate, QObject* parent)
    : QAbstractTableModel(parent), m_request(request), m_sampleRate(qMax(1, sampleRate)) {
    Rename(0, -1);
}

void SplitPartsModel::SetParts(std::vector<SplitPart> parts) {
    beginResetModel();
    m_request.parts = std::move(parts);
    Rename(0, -1);
    endResetModel();
}

void SplitPartsModel::SetFolder(const QString& folder) {
    m_request.folder = folder;
    Rename(0, rowCount() - 1);
}

void SplitPartsModel::Rename(int first, int last) {
    // The window names the parts by the default pattern, which has no {album}.
    m_names = PartNames(m_request, QString());
    if (first <= last) {
        Q_EMIT dataChanged(index(first, FileColumn), index(last, FileColumn));
    }
}

QString SplitPartsModel::TimeText(qint64 samples) const {
    return ChapterListModel::StartText(quint32(samples * 1000 / m_sampleRate));
}

int SplitPartsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_request.parts.size());
}

int SplitPartsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SplitPartsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() ||
        (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::AccessibleTextRole)) {
        return {};
    }
    const SplitPart& part = m_request.parts[size_t(index.row())];
    switch (index.column()) {
        case NumberColumn:
            return index.row() + 1;
        case StartColumn:
            return TimeText(part.start);
        case LengthColumn:
            return TimeText(part.end - part.start);
        case TitleColumn:
            return part.title;
        case FileColumn:
            return QFileInfo(m_names.value(index.row())).fileName();
        default:
            return {};
    }
}

QVariant SplitPartsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
        case NumberColumn:
            return tr("Number");
        case StartColumn:
            return tr("Start");
        case LengthColumn:
            return tr("Length");
        case TitleColumn:
            return tr("Title");
        case FileColumn:
            return tr("File Name");
        default:
            return {};
    }
}

Qt::ItemFlags SplitPartsModel::flags(const QModelIndex& index) const {
    const Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    return index.column() == TitleColumn ? flags | Qt::ItemIsEditable : flags;
}

bool SplitPartsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || index.column() != TitleColumn || index.row() >= rowCount()) {
        return false;
    }
    m_request.parts[size_t(index.row())].title = value.toString();
    Q_EMIT dataChanged(index, index);
    Rename(index.row(), index.row());
    return true;
}

}  // namespace tessaro
