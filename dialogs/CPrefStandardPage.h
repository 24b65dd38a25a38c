#pragma once

#include <QWidget>

#include "settings/JoinPreferences.h"

class QCheckBox;

// The "Standard" page of the preferences: whether the merged file gets the main ID3 tag, and
// what else the joined file carries: a chapter for each input, the first input's cover picture,
// the tag the inputs share, and in which version of ID3v2 its tag is written.
class CPrefStandardPage : public QWidget {
    Q_OBJECT

public:
    explicit CPrefStandardPage(QWidget* parent = nullptr);

    // Sets the preferences and shows them in the check boxes; no cover file is chosen here.
    void SetPreferences(const tessaro::JoinPreferences& preferences);
    // The preferences as last set or taken from the check boxes; a toggle of a box alone does
    // not change them.
    const tessaro::JoinPreferences& Preferences() const { return m_preferences; }
    void SetSaveID3Tag(bool save) { SetPreferences({save, m_preferences.options}); }
    bool SaveID3Tag() const { return m_preferences.saveID3Tag; }

    // Takes the check boxes' states into the preferences (the sheet's OK).
    void UpdateData();

private:
    tessaro::JoinPreferences m_preferences;
    QCheckBox* m_saveID3TagBox;
    QCheckBox* m_chaptersBox;
    QCheckBox* m_copyCoverBox;
    QCheckBox* m_seamlessBox;
    QCheckBox* m_levelBox;
    QCheckBox* m_conformBox;
    QCheckBox* m_copyTagsBox;
    QCheckBox* m_id3v23Box;
};
