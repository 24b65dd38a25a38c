#include "settings/JoinPreferences.h"

#include "settings/Preferences.h"
#include "settings/WindowSettings.h"

namespace tessaro {
namespace {

const QString kChaptersKey = QStringLiteral("joinedFile/chapters");
const QString kCopyCoverKey = QStringLiteral("joinedFile/copyCover");
const QString kSeamlessKey = QStringLiteral("joinedFile/seamless");
const QString kLevelKey = QStringLiteral("joinedFile/level");
const QString kConformKey = QStringLiteral("joinedFile/conform");
const QString kCopyTagsKey = QStringLiteral("joinedFile/copyTags");
const QString kId3v23Key = QStringLiteral("joinedFile/id3v23");

}  // namespace

JoinPreferences LoadJoinPreferences(const QString& preferencesPath) {
    JoinPreferences preferences;
    preferences.saveID3Tag = ReadSaveID3Tag(preferencesPath);
    const QSettings settings = WindowSettings();
    preferences.options.chapters = settings.value(kChaptersKey, false).toBool();
    preferences.options.copyCover = settings.value(kCopyCoverKey, false).toBool();
    preferences.options.seamless = settings.value(kSeamlessKey, false).toBool();
    if (settings.value(kLevelKey, false).toBool()) {
        preferences.options.level = kReferenceLoudness;
    }
    preferences.options.conform = settings.value(kConformKey, false).toBool();
    preferences.options.copyTags = settings.value(kCopyTagsKey, false).toBool();
    preferences.options.id3v23 = settings.value(kId3v23Key, false).toBool();
    return preferences;
}

void SaveJoinOptions(const JoinOptions& options) {
    QSettings settings = WindowSettings();
    settings.setValue(kChaptersKey, options.chapters);
    settings.setValue(kCopyCoverKey, options.copyCover);
    settings.setValue(kSeamlessKey, options.seamless);
    settings.setValue(kLevelKey, options.level.has_value());
    settings.setValue(kConformKey, options.conform);
    settings.setValue(kCopyTagsKey, options.copyTags);
    settings.setValue(kId3v23Key, options.id3v23);
}

}  // namespace tessaro
