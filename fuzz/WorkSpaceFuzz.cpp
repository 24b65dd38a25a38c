// Any bytes as a ".twk" file: the workspace either refuses the file and stays exactly as it was,
// or takes it with its track list in step; what it took, extras included, survives a save and a
// reload unchanged.

#include <cstdint>

#include "FuzzCheck.h"
#include "TestFiles.h"
#include "workspace/TessaroWorkSpace.h"

using fuzzing::Require;

namespace {

// Everything a load may change.
struct Snapshot {
    tessaro::OutputTag tag;
    QStringList paths;
    tessaro::WorkspaceExtras extras;

    static Snapshot Of(const tessaro::TessaroWorkSpace& workspace) {
        return {workspace.Tag(), workspace.Paths(), workspace.Extras()};
    }
    bool operator==(const Snapshot& o) const = default;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = fuzzing::WriteInput(bytes, QStringLiteral("input.twk"));

    tessaro::TessaroWorkSpace workspace;
    workspace.SetTag({QStringLiteral("Album before"), QStringLiteral("Artist"), QString(), 1999,
                      QStringLiteral("C")});
    workspace.AddPath(QStringLiteral("/old/a.mp3"));
    workspace.AddPath(QStringLiteral("/old/b.mp3"));
    tessaro::WorkspaceExtras extras;
    extras.moreTag.genre = QStringLiteral("Genre before");
    extras.chapterMarks = {{tessaro::ChapterMark::Start::Here, QStringLiteral("Mark")}};
    workspace.SetExtras(extras);
    const Snapshot before = Snapshot::Of(workspace);

    try {
        // A record naming a folder would walk it: the paths as stored are what is checked here.
        workspace.LoadFromFile(path, tessaro::TessaroWorkSpace::Folders::Keep);
    } catch (const tessaro::BadTessaroWorkSpaceIden&) {
        Require(!bytes.startsWith("TWKS"), "only a file without \"TWKS\" lacks the identifier");
        Require(Snapshot::Of(workspace) == before, "a refused file changes nothing");
        return 0;
    } catch (const tessaro::BadTessaroWorkSpaceFile& damaged) {
        Require(bytes.startsWith("TWKS"), "a damaged file has the identifier");
        Require(!damaged.reason.isEmpty(), "a damaged file says what is wrong");
        Require(Snapshot::Of(workspace) == before, "a refused file changes nothing");
        return 0;
    }
    Require(bytes.startsWith("TWKS") && bytes.size() >= 124, "only a whole header loads");
    const Snapshot loaded = Snapshot::Of(workspace);
    Require(loaded.tag.year == qint32(fuzzing::U32At(bytes, 116)), "the year is the stored one");
    const qint32 count = qint32(fuzzing::U32At(bytes, 120));
    Require(loaded.paths.size() == qMax(0, count), "there are as many paths as records");
    Require(loaded.extras.chapterMarks.size() <= size_t(loaded.paths.size()),
            "no more marks than path records");
    Require(loaded.extras.chapterMarks.empty() || !loaded.extras.chapterMarks.back().IsAuto(),
            "no Auto mark after the last other one");

    const QString saved = fuzzing::WriteInput(QByteArray(), QStringLiteral("saved.twk"));
    workspace.SaveToFile(saved);
    tessaro::TessaroWorkSpace other;
    other.LoadFromFile(saved, tessaro::TessaroWorkSpace::Folders::Keep);
    Require(Snapshot::Of(other) == loaded, "a loaded workspace saved and reloaded is the same");
    const QString again = fuzzing::WriteInput(QByteArray(), QStringLiteral("again.twk"));
    other.SaveToFile(again);
    Require(testing_files::ReadAll(again) == testing_files::ReadAll(saved),
            "saving the reloaded workspace gives the same bytes");
    return 0;
}
