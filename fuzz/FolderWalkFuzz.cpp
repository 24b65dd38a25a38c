// Any bytes as a tree of folders, files, links and FIFOs, with names of any bytes: the walk of
// its top folder joins only regular MPEG audio files with usable names, in natural order, and
// names every other entry that could hold audio; a workspace listing the folder stands for the
// same files. The order itself is total and consistent on the names given.

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QSet>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "io/Files.h"
#include "workspace/FolderInputs.h"
#include "workspace/NaturalOrder.h"
#include "workspace/TessaroWorkSpace.h"

using fuzzing::Require;

namespace {

enum Kind : quint8 { Folder, File, Link, Dangling, Fifo, KindCount };

// One entry of the tree, made from a record: kind, parent (an earlier folder, or the top), target
// (an earlier entry, for a link), the length of the name and the name.
struct Made {
    Kind kind;
    QByteArray path;    // in the system's bytes
    bool walkedInto;    // a folder the walk goes into: reached, its name usable
    bool accountedFor;  // reached and not hidden, so joined or named if it could hold audio
    bool couldBeAudio;
};

int RemoveEntry(const char* path, const struct stat*, int, FTW*) {
    return ::remove(path);
}

QByteArray NameFrom(QByteArray name) {
    name.replace('/', '_').replace('\0', '_');
    if (name.isEmpty() || name == "." || name == "..") {
        name.prepend('n');
    }
    return name;
}

std::vector<Made> MakeTree(const QByteArray& top, const QByteArray& bytes) {
    std::vector<Made> made;
    for (qsizetype at = 0; at + 4 <= bytes.size() && made.size() < 40;) {
        const auto kind = Kind(quint8(bytes[at]) % KindCount);
        const size_t parent = quint8(bytes[at + 1]);
        const size_t target = quint8(bytes[at + 2]);
        const qsizetype length = qMin<qsizetype>(quint8(bytes[at + 3]) % 24, bytes.size() - at - 4);
        const QByteArray name = NameFrom(bytes.mid(at + 4, length));
        at += 4 + length;
        const Made* above =
            parent < made.size() && made[parent].kind == Folder ? &made[parent] : nullptr;
        const QByteArray path = (above ? above->path : top) + '/' + name;
        const bool reached = (!above || above->walkedInto) && !name.startsWith('.');
        const bool walkedInto = reached && kind == Folder && tessaro::UnusableName(name).isEmpty();
        const bool audio = tessaro::IsMpegAudioName(QFile::decodeName(name));
        int status = 0;
        switch (kind) {
            case Folder:
                status = ::mkdir(path.constData(), 0755);
                break;
            case File:
                status = ::close(::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644));
                break;
            case Link: {
                const QByteArray to = target < made.size() ? made[target].path : top;
                status = ::symlink(to.constData(), path.constData());
                break;
            }
            case Dangling:
                status = ::symlink("/nonexistent/x", path.constData());
                break;
            case Fifo:
                status = ::mkfifo(path.constData(), 0600);
                break;
            case KindCount:
                break;
        }
        if (status == 0) {
            made.push_back({kind, path, walkedInto, reached, audio || kind == Folder});
        }
    }
    return made;
}

void CheckOrder(const QStringList& names) {
    for (const QString& a : names) {
        for (const QString& b : names) {
            Require(tessaro::NaturalCompare(a, b) == -tessaro::NaturalCompare(b, a),
                    "the order is antisymmetric");
            Require((tessaro::NaturalCompare(a, b) == 0) == (a == b), "only equal names tie");
        }
    }
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end(), tessaro::NaturalLess);
    for (qsizetype i = 2; i < sorted.size(); ++i) {
        Require(!tessaro::NaturalLess(sorted[i], sorted[i - 2]), "the order is transitive");
    }
    QStringList byName = tessaro::SortedByFileName(names);
    std::sort(byName.begin(), byName.end());
    QStringList given = names;
    std::sort(given.begin(), given.end());
    Require(byName == given, "sorting by file name keeps every path");
}

void CheckWalk(const QString& top, const std::vector<Made>& made) {
    const tessaro::FolderInputs inputs = tessaro::ExpandFolders({top});
    const QSet<QString> files(inputs.files.begin(), inputs.files.end());
    Require(files.size() == inputs.files.size(), "no file is joined twice");
    for (qsizetype i = 0; i < inputs.files.size(); ++i) {
        const QString& file = inputs.files[i];
        struct stat info;
        Require(::stat(QFile::encodeName(file).constData(), &info) == 0 && S_ISREG(info.st_mode),
                "only regular files are joined");
        Require(tessaro::UnusableName(QFile::encodeName(file)).isEmpty(),
                "only names that are UTF-8 are joined");
        Require(tessaro::IsMpegAudioName(file), "only MPEG audio files are joined");
        Require(i == 0 || !tessaro::NaturalLess(file.mid(top.size()),
                                                inputs.files[i - 1].mid(top.size())),
                "the files are in natural order of their paths");
    }
    for (const Made& entry : made) {
        const QString shown = QFile::decodeName(entry.path);
        const bool named = std::any_of(
            inputs.notes.begin(), inputs.notes.end(),
            [&shown](const QString& note) { return note.contains(tessaro::Quoted(shown)); });
        Require(!entry.accountedFor || !entry.couldBeAudio || entry.walkedInto ||
                    files.contains(shown) || named,
                "every entry that could be audio is joined or named");
    }
    const auto skippedNotes = std::count_if(
        inputs.notes.begin(), inputs.notes.end(),
        [](const QString& note) { return note.startsWith(QStringLiteral("Skipped ")); });
    Require(inputs.skipped == skippedNotes, "each entry skipped is named once");

    tessaro::TessaroWorkSpace workspace;
    workspace.AddPath(top);
    const QString saved = fuzzing::WriteInput(QByteArray(), QStringLiteral("walk.twk"));
    workspace.SaveToFile(saved);
    const tessaro::FolderInputs loaded = workspace.LoadFromFile(saved);
    Require(workspace.Paths() == inputs.files && loaded.notes == inputs.notes,
            "a workspace listing the folder stands for what the walk found");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString top =
        fuzzing::WriteInput(QByteArray(), QStringLiteral("tree.marker")) + QStringLiteral(".d");
    const QByteArray topBytes = QFile::encodeName(top);
    ::nftw(topBytes.constData(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    Require(::mkdir(topBytes.constData(), 0755) == 0, "the top folder can be made");
    const std::vector<Made> made = MakeTree(topBytes, bytes);
    CheckWalk(top, made);

    QStringList names;
    for (const Made& entry : made) {
        names << QFile::decodeName(entry.path.mid(topBytes.size() + 1));
    }
    CheckOrder(names);
    ::nftw(topBytes.constData(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
    return 0;
}
