#include "settings/Preferences.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "TestFiles.h"
#include "merge/JoinChoices.h"
#include "settings/JoinPreferences.h"
#include "settings/PrefRecords.h"
#include "settings/WindowSettings.h"

namespace {

using namespace testing_files;

const QString kSaveID3Tag = QStringLiteral("SaveID3Tag");

// A record as the format lays it out: the name in 512 bytes, 4 reserved bytes, D, the data.
QByteArray Record(const QString& name, const QByteArray& data, quint32 reserved = 0) {
    const QByteArray units = Utf16Le(name);
    return units + QByteArray(512 - units.size(), '\0') + U32Le(reserved) +
           U32Le(quint32(data.size())) + data;
}

QByteArray Head(const QString& name, quint32 size) {
    return Record(name, QByteArray()).left(516) + U32Le(size);
}

QByteArray Flag(char value) {
    return Record(kSaveID3Tag, QByteArray(1, value));
}

// Keeps the user's own configuration out of reach: the folder lives in a temporary folder.
class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        savedConfigHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome));
    }
    void TearDown() override {
        if (savedConfigHome.isNull()) {
            qunsetenv("XDG_CONFIG_HOME");
        } else {
            qputenv("XDG_CONFIG_HOME", savedConfigHome);
        }
    }
    bool Read(const QByteArray& bytes) {
        WriteAll(file, bytes);
        return tessaro::ReadSaveID3Tag(file);
    }

    QTemporaryDir dir;
    const QString configHome = dir.filePath(QStringLiteral("home/.config"));
    const QString file = dir.filePath(QStringLiteral("preferences.dat"));
    QByteArray savedConfigHome;
};

TEST_F(PreferencesTest, ThePathLiesInTheUsersConfigFolderWhichIsCreated) {
    const QString folder = configHome + QStringLiteral("/Zovi Tessaro 1.2");
    ASSERT_FALSE(QFileInfo::exists(configHome));
    const QString path = tessaro::GetPreferencesPath(QStringLiteral("Zovi Tessaro 1.2"));
    EXPECT_EQ(path, folder + QStringLiteral("/preferences.dat"));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_FALSE(QFileInfo::exists(path));
    // An existing folder is no hindrance.
    EXPECT_EQ(tessaro::GetPreferencesPath(QStringLiteral("Zovi Tessaro 1.2")), path);
}

TEST_F(PreferencesTest, AFirstRunIsOffAndLeavesOne521ByteRecord) {
    const QString path = tessaro::GetPreferencesPath(QStringLiteral("Zovi Tessaro 1.2"));
    EXPECT_FALSE(tessaro::ReadSaveID3Tag(path));
    EXPECT_EQ(tessaro::WriteSaveID3Tag(path, false), QString());
    const QByteArray expected =
        Utf16Le(kSaveID3Tag) + QByteArray(492, '\0') + QByteArray::fromHex("00000000 01000000 00");
    ASSERT_EQ(expected.size(), 521);
    EXPECT_EQ(ReadAll(path), expected);
    EXPECT_FALSE(tessaro::ReadSaveID3Tag(path));

    EXPECT_EQ(tessaro::WriteSaveID3Tag(path, true), QString());
    EXPECT_EQ(ReadAll(path), expected.left(520) + '\1');
    EXPECT_TRUE(tessaro::ReadSaveID3Tag(path));
}

TEST_F(PreferencesTest, JoinPreferencesComeFromBothStoresAndTheOptionsLeaveTheFileAlone) {
    const QString path = tessaro::GetPreferencesPath(QStringLiteral("Zovi Tessaro 1.2"));
    ASSERT_EQ(tessaro::WriteSaveID3Tag(path, true), QString());
    const QByteArray before = ReadAll(path);
    const tessaro::JoinOptions allOn{.chapters = true,
                                     .coverFile = QStringLiteral("cover.jpg"),
                                     .seamless = true,
                                     .level = true,
                                     .levelTarget = -23.5,
                                     .levelAlbum = true,
                                     .conform = true,
                                     .chaptersByTitle = true,
                                     .copyTags = true,
                                     .copyTagsFirst = true,
                                     .id3v23 = true,
                                     .gapSeconds = 2.5};
    // The target is kept while levelling is off, for when it is turned on again.
    const tessaro::JoinOptions coverOnly{.copyCover = true, .levelTarget = -14};
    for (const tessaro::JoinOptions& options : {allOn, coverOnly}) {
        tessaro::SaveJoinOptions(options);
        const tessaro::JoinPreferences loaded = tessaro::LoadJoinPreferences(path);
        EXPECT_TRUE(loaded.saveID3Tag);
        EXPECT_EQ(loaded.options.chapters, options.chapters);
        EXPECT_EQ(loaded.options.chaptersByTitle, options.chaptersByTitle);
        EXPECT_EQ(loaded.options.copyCover, options.copyCover);
        EXPECT_EQ(loaded.options.seamless, options.seamless);
        EXPECT_EQ(loaded.options.level, options.level);
        EXPECT_EQ(loaded.options.levelTarget, options.levelTarget);
        EXPECT_EQ(loaded.options.levelAlbum, options.levelAlbum);
        EXPECT_EQ(loaded.options.conform, options.conform);
        EXPECT_EQ(loaded.options.copyTags, options.copyTags);
        EXPECT_EQ(loaded.options.copyTagsFirst, options.copyTagsFirst);
        EXPECT_EQ(loaded.options.id3v23, options.id3v23);
        EXPECT_EQ(loaded.options.gapSeconds, options.gapSeconds);
        EXPECT_TRUE(loaded.options.coverFile.isEmpty());  // chosen for one join only
        EXPECT_EQ(ReadAll(path), before);
    }
}

TEST_F(PreferencesTest, ALevelTargetIsKeptBesideItsChoiceAndOneOutOfRangeIsNotTaken) {
    const QString path = tessaro::GetPreferencesPath(QStringLiteral("Zovi Tessaro 1.2"));
    QSettings settings = tessaro::WindowSettings();
    settings.remove(QStringLiteral("joinedFile/levelTarget"));
    EXPECT_EQ(tessaro::LoadJoinPreferences(path).options.levelTarget, tessaro::kReferenceLoudness);
    tessaro::SaveJoinOptions({.level = true, .levelTarget = -70});
    EXPECT_EQ(settings.value(QStringLiteral("joinedFile/level")).toBool(), true);
    EXPECT_EQ(settings.value(QStringLiteral("joinedFile/levelTarget")).toDouble(), -70.0);
    EXPECT_EQ(tessaro::LoadJoinPreferences(path).options.levelTarget, -70.0);
    // Edited by hand into what the choice cannot take: the reference loudness instead.
    for (const char* edited : {"0.5", "-70.1", "loud", "nan", ""}) {
        settings.setValue(QStringLiteral("joinedFile/levelTarget"), QLatin1String(edited));
        settings.sync();
        EXPECT_EQ(tessaro::LoadJoinPreferences(path).options.levelTarget,
                  tessaro::kReferenceLoudness)
            << edited;
    }
}

TEST_F(PreferencesTest, TheWholeNameMustMatchAndTheLastRecordWins) {
    EXPECT_TRUE(Read(Record(QStringLiteral("Other"), "abc") + Flag(1)));
    EXPECT_FALSE(Read(Flag(1) + Flag(0)));
    EXPECT_TRUE(Read(Flag(0) + Flag(1)));
    EXPECT_FALSE(Read(Record(QStringLiteral("saveid3tag"), "\1")));
    EXPECT_FALSE(Read(Record(QStringLiteral("SaveID3Tag2"), "\1")));
    EXPECT_FALSE(Read(Record(QStringLiteral("SaveID3"), "\1")));
    // The reserved field is not looked at.
    EXPECT_TRUE(Read(Record(kSaveID3Tag, "\1", 0xFFFFFFFF)));
}

TEST_F(PreferencesTest, ARecordWithoutDataEndsTheReading) {
    EXPECT_FALSE(Read(Record(QStringLiteral("Other"), QByteArray()) + Flag(1)));
    EXPECT_TRUE(Read(Flag(1) + Record(kSaveID3Tag, QByteArray()) + Flag(0)));
}

TEST_F(PreferencesTest, AValueOfAnotherSizeIsSkipped) {
    EXPECT_FALSE(Read(Record(kSaveID3Tag, QByteArray("\1\1", 2))));
    EXPECT_TRUE(Read(Flag(1) + Record(kSaveID3Tag, QByteArray(2, '\0'))));
    // Its bytes are read past: the record after it counts.
    EXPECT_TRUE(Read(Record(kSaveID3Tag, QByteArray(700, '\0')) + Flag(1)));
}

TEST_F(PreferencesTest, AFileCutShortUsesOnlyWholeRecords) {
    EXPECT_FALSE(Read(Flag(1).left(519)));
    EXPECT_FALSE(Read(Flag(1).left(520)));
    EXPECT_TRUE(Read(Flag(1) + Flag(0).left(300)));
    EXPECT_TRUE(Read(Flag(1) + Flag(0).left(520)));
    // A huge announced size is neither allocated nor used.
    EXPECT_TRUE(Read(Flag(1) + Head(kSaveID3Tag, 0xFFFFFFFF) + QByteArray(3, '\0')));
    EXPECT_TRUE(Read(Flag(1) + Head(kSaveID3Tag, 2) + '\0'));
}

TEST_F(PreferencesTest, RecordsComeBackAsTheyWereWritten) {
    const QString longest(255, QChar(u'ñ'));
    tessaro::PrefRecordWriter writer(file);
    EXPECT_EQ(writer.WriteRecord(QStringLiteral("Ünïcode"), "data"), 524);
    EXPECT_EQ(writer.WriteRecord(longest, QByteArray(1000, 'x')), 1520);
    EXPECT_EQ(writer.WriteRecord(longest + QStringLiteral("cut"), "\7"), 521);
    EXPECT_EQ(writer.Commit(), QString());
    EXPECT_EQ(QFileInfo(file).size(), 524 + 1520 + 521);

    tessaro::PrefRecordReader reader(file);
    QStringList names;
    QList<QByteArray> values;
    while (const std::optional<tessaro::PrefRecord> record = reader.Next()) {
        names << record->name;
        values << record->data;
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("Ünïcode"), longest, longest}));
    EXPECT_EQ(values, (QList<QByteArray>{"data", QByteArray(1000, 'x'), "\7"}));

    tessaro::PrefRecordReader missing(dir.filePath(QStringLiteral("missing.dat")));
    EXPECT_FALSE(missing.Next());
}

TEST_F(PreferencesTest, AFailedSaveLeavesTheOldFile) {
    ASSERT_EQ(tessaro::WriteSaveID3Tag(file, true), QString());
    const QByteArray old = ReadAll(file);
    {
        const FileSizeLimit limit(100);
        EXPECT_TRUE(tessaro::WriteSaveID3Tag(file, false).contains(QStringLiteral("large")));
    }
    {
        // Records written but never committed change nothing.
        tessaro::PrefRecordWriter writer(file);
        writer.WriteRecord(kSaveID3Tag, QByteArray(1, '\0'));
    }
    EXPECT_EQ(tessaro::WriteSaveID3Tag(file + QStringLiteral("/inside.dat"), false),
              QStringLiteral("Not a directory"));
    EXPECT_EQ(ReadAll(file), old);
    EXPECT_EQ(FolderEntries(dir.path()), QStringList{QStringLiteral("preferences.dat")});
}

}  // namespace

namespace {

using tessaro::JoinChoice;

// Every reader goes by a choice's kind alone, so a row whose fields tell another kind is offered,
// kept or turned wrongly, or dereferences a null.
TEST(JoinChoicesTest, EachChoiceHasTheFieldsOfItsKind) {
    for (const JoinChoice& choice : tessaro::JoinChoices()) {
        SCOPED_TRACE(choice.option ? choice.option : choice.key);
        const bool switch_ = choice.label && choice.key && choice.isOn && choice.turn;
        const bool noSwitch = !choice.key && !choice.isOn && !choice.turn;
        const bool keptValue = choice.value && choice.value->key && choice.value->read;
        switch (choice.kind) {
            case JoinChoice::Kind::Switch:
                EXPECT_TRUE(switch_);
                EXPECT_FALSE(choice.value && choice.value->key);
                break;
            case JoinChoice::Kind::SwitchWithValue:
                EXPECT_TRUE(switch_);
                EXPECT_TRUE(keptValue);
                break;
            case JoinChoice::Kind::ValueAlone:
                EXPECT_TRUE(choice.label && choice.option && noSwitch);
                EXPECT_TRUE(keptValue);
                break;
            case JoinChoice::Kind::ToolOnly:
                EXPECT_TRUE(!choice.label && noSwitch);
                EXPECT_TRUE(choice.option && choice.value && !choice.value->key);
                break;
        }
        // The tool explains each option it offers and writes each value it is given.
        EXPECT_EQ(choice.option == nullptr, choice.help == nullptr);
        EXPECT_TRUE(!choice.value || choice.value->write);
    }
}

}  // namespace
