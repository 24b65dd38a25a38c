// Any bytes as a ".twk" file: the workspace either refuses the file and stays exactly as it was,
// or takes it with its track list in step; what it took survives a save and a reload unchanged.

#include <cstdint>
#include <tuple>

#include "FuzzCheck.h"
#include "TestFiles.h"
#include "workspace/PlainTrackList.h"
#include "workspace/TessaroWorkSpace.h"

using fuzzing::Require;

namespace {

// Everything a load may change, the track list included.
struct Snapshot {
    QString album, artist, title, comment;
    qint32 year;
    QStringList paths, entries;
    int selection;

    static Snapshot Of(const tessaro::TessaroWorkSpace& workspace,
                       const tessaro::PlainTrackList& list) {
        return {workspace.Tag().album,   workspace.Tag().artist, workspace.Tag().title,
                workspace.Tag().comment, workspace.Tag().year,   workspace.Paths(),
                list.Entries(),          list.Selection()};
    }
    bool operator==(const Snapshot& o) const {
        return std::tie(album, artist, title, comment, year, paths, entries, selection) ==
               std::tie(o.album, o.artist, o.title, o.comment, o.year, o.paths, o.entries,
                        o.selection);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = fuzzing::WriteInput(bytes, QStringLiteral("input.twk"));

    tessaro::PlainTrackList list;
    tessaro::TessaroWorkSpace workspace(list);
    workspace.SetTag({QStringLiteral("Album before"), QStringLiteral("Artist"), QString(), 1999,
                      QStringLiteral("C")});
    workspace.AddPath(QStringLiteral("/old/a.mp3"));
    workspace.AddPath(QStringLiteral("/old/b.mp3"));
    list.SelectTrack(1);
    const Snapshot before = Snapshot::Of(workspace, list);

    try {
        // A record naming a folder would walk it: the paths as stored are what is checked here.
        workspace.LoadFromFile(path, tessaro::TessaroWorkSpace::Folders::Keep);
    } catch (const tessaro::BadTessaroWorkSpaceIden&) {
        Require(!bytes.startsWith("TWKS"), "only a file without \"TWKS\" lacks the identifier");
        Require(Snapshot::Of(workspace, list) == before, "a refused file changes nothing");
        return 0;
    } catch (const tessaro::BadTessaroWorkSpaceFile& damaged) {
        Require(bytes.startsWith("TWKS"), "a damaged file has the identifier");
        Require(!damaged.reason.isEmpty(), "a damaged file says what is wrong");
        Require(Snapshot::Of(workspace, list) == before, "a refused file changes nothing");
        return 0;
    }
    Require(bytes.startsWith("TWKS") && bytes.size() >= 124, "only a whole header loads");
    const Snapshot loaded = Snapshot::Of(workspace, list);
    Require(loaded.paths == loaded.entries, "the track list is in step with the paths");
    Require(loaded.year == qint32(fuzzing::U32At(bytes, 116)), "the year is the stored one");
    const qint32 count = qint32(fuzzing::U32At(bytes, 120));
    Require(loaded.paths.size() == qMax(0, count), "there are as many paths as records");

    const QString saved = fuzzing::WriteInput(QByteArray(), QStringLiteral("saved.twk"));
    workspace.SaveToFile(saved);
    tessaro::PlainTrackList otherList;
    tessaro::TessaroWorkSpace other(otherList);
    other.LoadFromFile(saved, tessaro::TessaroWorkSpace::Folders::Keep);
    const Snapshot reloaded = Snapshot::Of(other, otherList);
    Require(std::tie(reloaded.album, reloaded.artist, reloaded.title, reloaded.comment,
                     reloaded.year, reloaded.paths, reloaded.entries) ==
                std::tie(loaded.album, loaded.artist, loaded.title, loaded.comment, loaded.year,
                         loaded.paths, loaded.entries),
            "a loaded workspace saved and reloaded is the same");
    const QString again = fuzzing::WriteInput(QByteArray(), QStringLiteral("again.twk"));
    other.SaveToFile(again);
    Require(testing_files::ReadAll(again) == testing_files::ReadAll(saved),
            "saving the reloaded workspace gives the same bytes");
    return 0;
}
