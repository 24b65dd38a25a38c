#include "settings/JoinPreferences.h"

#include "merge/JoinChoices.h"
#include "settings/Preferences.h"
#include "settings/WindowSettings.h"

namespace tessaro {
namespace {

QString KeyOf(const JoinChoice& choice) {
    return QStringLiteral("joinedFile/") + QLatin1String(choice.key);
}

}  // namespace

JoinPreferences LoadJoinPreferences(const QString& preferencesPath) {
    JoinPreferences preferences;
    preferences.saveID3Tag = ReadSaveID3Tag(preferencesPath);
    const QSettings settings = WindowSettings();
    for (const JoinChoice& choice : JoinChoices()) {
        choice.turn(preferences.options, settings.value(KeyOf(choice), false).toBool());
    }
    return preferences;
}

void SaveJoinOptions(const JoinOptions& options) {
    QSettings settings = WindowSettings();
    for (const JoinChoice& choice : JoinChoices()) {
        settings.setValue(KeyOf(choice), choice.isOn(options));
    }
}

}  // namespace tessaro
