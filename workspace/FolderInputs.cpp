#include "workspace/FolderInputs.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
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
    QStringList unreadable;  // folders whose files could not be listed
};

Walk WalkFolder(const QString& top) {
    Walk walk;
    // Canonical paths: a link back to a folder above, or a second link to one, is not walked
    // again.
    QSet<QString> walked;
    std::vector<std::pair<QString, QString>> pending{{top, QString()}};
    while (!pending.empty()) {
        const auto [folder, below] = pending.back();
        pending.pop_back();
        const QString canonical = QFileInfo(folder).canonicalFilePath();
        if (canonical.isEmpty() || walked.contains(canonical)) {
            continue;
        }
        walked.insert(canonical);
        const QDir dir(folder);
        if (!dir.isReadable()) {
            walk.unreadable << folder;
            continue;
        }
        // Without QDir::Hidden: dot files are not the user's files (AppleDouble "._" copies,
        // thumbnails, version control) and would only fail the join.
        for (const QFileInfo& entry :
             dir.entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot)) {
            const QString name = below + entry.fileName();
            // A name that is not UTF-8 cannot be walked into; kept as an input, the caller
            // refuses it and says why rather than losing what it holds unsaid.
            const bool usable = UnusableName(entry.filePath()).isEmpty();
            if (entry.isDir() && usable) {
                pending.emplace_back(entry.filePath(), name + QLatin1Char('/'));
            } else if (entry.isDir() || IsMpegAudioName(entry.fileName())) {
                walk.found.emplace_back(name, entry.filePath());
            } else {
                ++walk.others;
            }
        }
    }
    std::sort(walk.found.begin(), walk.found.end(),
              [](const auto& a, const auto& b) { return NaturalLess(a.first, b.first); });
    return walk;
}

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
        if (!UnusableName(path).isEmpty() || !QFileInfo(path).isDir()) {
            inputs.files << path;
            continue;
        }
        const Walk walk = WalkFolder(path);
        for (const auto& [below, file] : walk.found) {
            inputs.files << file;
        }
        for (const QString& folder : walk.unreadable) {
            inputs.notes << QStringLiteral("Skipped the files in %1: the folder cannot be read")
                                .arg(Quoted(folder));
            ++inputs.skipped;
        }
        if (walk.found.empty() && walk.unreadable.isEmpty()) {
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
