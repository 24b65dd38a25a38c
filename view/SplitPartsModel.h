#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "split/Split.h"

namespace tessaro {

// The parts a split writes, one row each, in five columns: the part's Number (from 1), its Start
// and Length ("H:MM:SS.mmm"), its Title, edited in place, and the File Name it is written under,
// which follows its title and the request's folder.
class SplitPartsModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { NumberColumn, StartColumn, LengthColumn, TitleColumn, FileColumn, ColumnCount };

    // The parts of `request` are named, its folder and pattern used; `sampleRate` turns their
    // samples into times.
    explicit SplitPartsModel(const SplitRequest& request, int sampleRate,
                             QObject* parent = nullptr);

    // The request with the parts as they stand, renamed titles and all.
    const SplitRequest& Request() const { return m_request; }
    // Each part's path, in order.
    const QStringList& Names() const { return m_names; }
    void SetParts(std::vector<SplitPart> parts);
    void SetFolder(const QString& folder);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    QString TimeText(qint64 samples) const;
    // The names anew, told for the File Name column of rows `first` to `last`.
    void Rename(int first, int last);

    SplitRequest m_request;
    int m_sampleRate;
    QStringList m_names;
};

}  // namespace tessaro
