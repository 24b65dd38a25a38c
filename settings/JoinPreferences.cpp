#include "settings/JoinPreferences.h"

#include "merge/JoinChoices.h"
#include "settings/Preferences.h"
#include "settings/WindowSettings.h"

namespace tessaro {
namespace {

QString KeyOf(const char* key) {
    return QStringLiteral("joinedFile/") + QLatin1String(key);
}

}  // namespace

JoinPreferences LoadJoinPreferences(const QString& preferencesPath) {
    JoinPreferences preferences;
    preferences.saveID3Tag = ReadSaveID3Tag(preferencesPath);
    const QSettings settings = WindowSettings();
    for (const JoinChoice& choice : JoinChoices()) {
        // Neither for the tool's alone; a value alone has no box to turn.
        if (choice.Switched()) {
            choice.turn(preferences.options, settings.value(KeyOf(choice.key), false).toBool());
        }
        if (const ChoiceValue* value = choice.WindowValue()) {
            // A value edited by hand into one the choice cannot take is not taken.
            const QString kept = settings.value(KeyOf(value->key), value->fallback).toString();
            value->write(preferences.options, value->Accepts(kept) ? kept : value->fallback);
        }
    }
    return preferences;
}

void SaveJoinOptions(const JoinOptions& options) {
    QSettings settings = WindowSettings();
    for (const JoinChoice& choice : JoinChoices()) {
        if (choice.Switched()) {
            settings.setValue(KeyOf(choice.key), choice.isOn(options));
        }
        if (const ChoiceValue* value = choice.WindowValue()) {
            settings.setValue(KeyOf(value->key), value->read(options));
        }
    }
}

}  // namespace tessaro
