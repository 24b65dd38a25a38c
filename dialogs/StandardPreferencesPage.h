#pragma once

#include <QWidget>
#include <vector>

#include "settings/JoinPreferences.h"

class QCheckBox;
class QDoubleSpinBox;
class QHBoxLayout;

namespace tessaro {

struct JoinChoice;

// The "Standard" page of the preferences: whether the merged file gets the main ID3 tag, and
// a box for each of the choices of what else the joined file carries (tessaro::JoinChoices), with
// a spin box beside it for the number it carries, if any; a choice that is a number alone is a
// labelled spin box.
class StandardPreferencesPage : public QWidget {
    Q_OBJECT

public:
    explicit StandardPreferencesPage(QWidget* parent = nullptr);

    // Sets the preferences and shows them in the boxes; no cover file is chosen here.
    void SetPreferences(const tessaro::JoinPreferences& preferences);
    // The preferences as last set or taken from the boxes; a change in a box alone does not
    // change them.
    const tessaro::JoinPreferences& Preferences() const { return m_preferences; }
    void SetSaveID3Tag(bool save) {
        SetPreferences({.saveID3Tag = save, .options = m_preferences.options});
    }
    bool SaveID3Tag() const { return m_preferences.saveID3Tag; }

    // Takes the boxes' states into the preferences (the sheet's OK).
    void UpdateData();

private:
    // A choice the window offers, as the page shows it.
    struct Offered {
        const tessaro::JoinChoice* choice;
        QCheckBox* box;          // null for a choice that is its value alone
        QDoubleSpinBox* number;  // of the value it carries; null for none
    };

    // The row of the choice's box, and of the number it carries beside it.
    QHBoxLayout* AddChoice(const tessaro::JoinChoice& choice);
    // Makes the box of the choice kept under `dependent` usable only while the one under `key`
    // is ticked.
    void EnableWith(const char* dependent, const char* key);
    // The box of the choice kept under `key`.
    QCheckBox* Box(const char* key) const;

    tessaro::JoinPreferences m_preferences;
    QCheckBox* m_saveID3TagBox;
    std::vector<Offered> m_offered;  // in the order of tessaro::JoinChoices()
};

}  // namespace tessaro
