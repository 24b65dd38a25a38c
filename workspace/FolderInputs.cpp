#include "workspace/FolderInputs.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "io/Files.h"
#include "workspace/NaturalOrder.h"

namespace tessaro {
namespace {

const QStringList kMpegExtensions{QStringLiteral(".mp3"), QStringLiteral(".mp2"),
                                  QStringLiteral(".mp1"), QStringLiteral(".mpa")};
// As messages name them.
const QString kExtensions =
    QLatin1Char('(') + kMpegExtensions.join(QStringLiteral(", ")) + QLatin1Char(')');

QString OtherFiles(int count) {
    return count == 1 ? QStringLiteral("1 file of another type")
                      : QStringLiteral("%1 files of other types").arg(count);
}

// What one folder given as an input holds.
struct Walk {
    std::vector<std::pair<QString, QString>> found;  // path below the folder, path as given
    int others = 0;
    // A line for each entry left out that could hold audio, and for each folder whose files
    // could not be listed.
    QStringList refused;
};

// One entry of a folder being walked, its name still in the system's bytes: Qt would read bytes
// that are not UTF-8 as U+FFFD and so lose the entry, or find another by that name.
struct Entry {
    QByteArray path;
    QString shown;  // as messages name it
    bool audioName;
    bool folderType;  // as the folder's list tells, for an entry that cannot be looked at
    bool utf8;
};

// `folder` ends in '/'.
Entry MakeEntry(const QByteArray& folder, const dirent& found) {
    const QByteArray name(found.d_name);
    const QByteArray path = folder + name;
    return {path, QFile::decodeName(path), IsMpegAudioName(QFile::decodeName(name)),
            found.d_type == DT_DIR, UnusableName(name).isEmpty()};
}

QByteArray AsFolder(const QByteArray& path) {
    return path.endsWith('/') ? path : path + '/';
}

class Walker {
public:
    explicit Walker(const QString& top)
        : top(AsFolder(QFile::encodeName(top))), topLength(QFile::decodeName(this->top).size()) {}

    Walk Run() {
        std::vector<QByteArray> pending{top};
        while (!pending.empty()) {
            const QByteArray folder = pending.back();
            pending.pop_back();
            List(folder, pending);
        }
        std::sort(walk.found.begin(), walk.found.end(),
                  [](const auto& a, const auto& b) { return NaturalLess(a.first, b.first); });
        return std::move(walk);
    }

private:
    void List(const QByteArray& folder, std::vector<QByteArray>& pending) {
        struct stat info;
        // By device and inode: a folder mounted inside itself is walked once.
        if (::stat(folder.constData(), &info) != 0 ||
            walked.contains({quint64(info.st_dev), quint64(info.st_ino)})) {
            return;
        }
        walked.insert({quint64(info.st_dev), quint64(info.st_ino)});
        DIR* dir = ::opendir(folder.constData());
        if (!dir) {
            walk.refused << QStringLiteral("Skipped the files in %1: the folder cannot be read")
                                .arg(Quoted(QFile::decodeName(folder)));
            return;
        }
        while (const dirent* entry = ::readdir(dir)) {
            // Dot files are not the user's files (AppleDouble "._" copies, thumbnails, version
            // control) and would only fail the join.
            if (entry->d_name[0] != '.') {
                Judge(MakeEntry(folder, *entry), pending);
            }
        }
        ::closedir(dir);
    }

    void Judge(const Entry& entry, std::vector<QByteArray>& pending) {
        struct stat own;
        struct stat info;
        if (::lstat(entry.path.constData(), &own) != 0) {
            return Refuse(entry, entry.audioName || entry.folderType, qt_error_string(errno));
        }
        const bool link = S_ISLNK(own.st_mode);
        if (link && ::stat(entry.path.constData(), &info) != 0) {
            return Refuse(entry, entry.audioName,
                          QStringLiteral("it is a link that leads to nothing that can be read (%1)")
                              .arg(qt_error_string(errno)));
        }
        const mode_t mode = link ? info.st_mode : own.st_mode;
        if (S_ISDIR(mode) && link) {
            // As find does: a link may lead anywhere, up to the root of the file system.
            return Refuse(entry, true,
                          QStringLiteral("it is a link to a folder, which is not walked into; "
                                         "give the folder itself to join its files"));
        }
        if (!S_ISDIR(mode) && !entry.audioName) {
            ++walk.others;
        } else if (!entry.utf8) {
            Refuse(entry, true, UnusableName(entry.path));
        } else if (S_ISDIR(mode)) {
            pending.push_back(AsFolder(entry.path));
        } else if (!S_ISREG(mode)) {
            Refuse(entry, true, NotRegular(mode));
        } else {
            walk.found.emplace_back(entry.shown.mid(topLength), entry.shown);
        }
    }

    // Names an entry left out when it could hold audio; counts it among the other files else.
    void Refuse(const Entry& entry, bool couldBeAudio, const QString& reason) {
        if (couldBeAudio) {
            walk.refused << QStringLiteral("Skipped %1: %2").arg(Quoted(entry.shown), reason);
        } else {
            ++walk.others;
        }
    }

    const QByteArray top;       // ends in '/', as every folder walked
    const qsizetype topLength;  // of its name as entries show it
    Walk walk;
    QSet<std::pair<quint64, quint64>> walked;
};

}  // namespace

bool IsMpegAudioName(const QString& name) {
    return std::any_of(
        kMpegExtensions.begin(), kMpegExtensions.end(), [&name](const QString& extension) {
            return name.size() > extension.size() && name.endsWith(extension, Qt::CaseInsensitive);
        });
}

FolderInputs ExpandFolders(const QStringList& paths) {
    FolderInputs inputs;
    for (const QString& path : paths) {
        struct stat info;
        if (!UnusableName(path).isEmpty() ||
            ::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            inputs.files << path;
            continue;
        }
        const Walk walk = Walker(path).Run();
        for (const auto& [below, file] : walk.found) {
            inputs.files << file;
        }
        inputs.notes << walk.refused;
        inputs.skipped += int(walk.refused.size());
        if (walk.found.empty() && walk.refused.isEmpty()) {
            inputs.notes << QStringLiteral("Skipped %1: no MPEG audio files %2 in it%3")
                                .arg(
                                    Quoted(path), kExtensions,
                                    walk.others == 0
                                        ? QString()
                                        : QStringLiteral(", only %1").arg(OtherFiles(walk.others)));
            ++inputs.skipped;
        } else if (walk.others != 0) {
            inputs.notes << QStringLiteral("Left out %1 in %2; only MPEG audio files %3 are joined")
                                .arg(OtherFiles(walk.others), Quoted(path), kExtensions);
        }
    }
    return inputs;
}

}  // namespace tessaro
