#pragma once

#include <QWidget>

#include "merge/MergeJob.h"

class QCheckBox;

// The "Standard" page of the preferences: whether the merged file gets the main ID3 tag, and
// what else the joined file carries: a chapter for each input, the first input's cover picture.
class CPrefStandardPage : public QWidget {
    Q_OBJECT

public:
    explicit CPrefStandardPage(QWidget* parent = nullptr);

    // Sets the preference and shows it in the check box.
    void SetSaveID3Tag(bool save);
    // The preference as last set or taken from the check box; a toggle of the box alone does
    // not change it.
    bool SaveID3Tag() const { return m_saveID3Tag; }

    // The same for what the joined file carries; no cover file is chosen here.
    void SetJoinOptions(const tessaro::JoinOptions& options);
    const tessaro::JoinOptions& JoinOptions() const { return m_joinOptions; }

    // Takes the check boxes' states into the preferences (the sheet's OK).
    void UpdateData();

private:
    bool m_saveID3Tag = false;
    tessaro::JoinOptions m_joinOptions;
    QCheckBox* m_saveID3TagBox;
    QCheckBox* m_chaptersBox;
    QCheckBox* m_copyCoverBox;
    QCheckBox* m_seamlessBox;
};
