#include "settings/Preferences.h"

#include <QDir>
#include <QStandardPaths>

#include "settings/PrefRecords.h"

namespace tessaro {
namespace {

const QString kSaveID3Tag = QStringLiteral("SaveID3Tag");

}  // namespace

QString GetPreferencesPath(const QString& folderName) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QLatin1Char('/') + folderName;
    QDir().mkpath(folder);
    return folder + QStringLiteral("/preferences.dat");
}

bool ReadSaveID3Tag(const QString& path) {
    bool saveID3Tag = false;
    PrefRecordReader reader(path);
    while (const std::optional<PrefRecord> record = reader.Next()) {
        // The value is one byte wide; a record of another size is not guessed at.
        if (record->name == kSaveID3Tag && record->data.size() == 1) {
            saveID3Tag = record->data[0] != 0;
        }
    }
    return saveID3Tag;
}

QString WriteSaveID3Tag(const QString& path, bool saveID3Tag) {
    PrefRecordWriter writer(path);
    writer.WriteRecord(kSaveID3Tag, QByteArray(1, saveID3Tag ? '\1' : '\0'));
    return writer.Commit();
}

}  // namespace tessaro
