#pragma once

#include <QWidget>

class QCheckBox;

// The "Standard" page of the preferences: whether the merged file gets the main ID3 tag.
class CPrefStandardPage : public QWidget {
    Q_OBJECT

public:
    explicit CPrefStandardPage(QWidget* parent = nullptr);

    // Sets the preference and shows it in the check box.
    void SetSaveID3Tag(bool save);
    // The preference as last set or taken from the check box; a toggle of the box alone does
    // not change it.
    bool SaveID3Tag() const { return m_saveID3Tag; }

    // Takes the check box's state into the preference (the sheet's OK).
    void UpdateData();

private:
    bool m_saveID3Tag = false;
    QCheckBox* m_saveID3TagBox;
};
