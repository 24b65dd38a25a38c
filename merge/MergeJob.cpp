#include "merge/MergeJob.h"

#include <sys/stat.h>

#include <QFile>
#include <optional>
#include <utility>

#include "io/Files.h"
#include "merge/Join.h"
#include "mp3/PictureFile.h"
#include "workspace/TessaroWorkSpace.h"

namespace tessaro {
namespace {

// The file that stands at path, links followed: none when nothing does.
std::optional<std::pair<dev_t, ino_t>> FileId(const QString& path) {
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    return std::make_pair(info.st_dev, info.st_ino);
}

// Why the join must not write to outputPath: it is one of the inputs, or something a new file
// must not replace. Empty when it may.
QString RefuseOutput(const TessaroWorkSpace& workspace, const QString& outputPath) {
    // A path that names nothing yet cannot be an input, and needs no look at them.
    if (const auto outputId = FileId(outputPath)) {
        for (const QString& input : workspace.Paths()) {
            if (FileId(input) == outputId) {
                return QStringLiteral(
                           "The output file %1 is also one of the inputs (%2); "
                           "choose another output file.")
                    .arg(Quoted(outputPath), Quoted(input));
            }
        }
    }
    const QString refusal = NotReplaceable(outputPath);
    return refusal.isEmpty() ? QString()
                             : QStringLiteral("Cannot write %1: %2; choose another output file.")
                                   .arg(Quoted(outputPath), refusal);
}

// Why a name the join is given, of an input, the output or the cover picture, cannot be used as
// it stands. Empty when all can.
QString RefuseNames(const TessaroWorkSpace& workspace, const QString& outputPath,
                    const JoinOptions& options) {
    for (const QString& name :
         workspace.Paths() + QStringList{outputPath, options.coverFile, options.chapterFile}) {
        if (const QString problem = UnusableName(name); !problem.isEmpty()) {
            return QStringLiteral("Cannot use %1: %2.").arg(Quoted(name), problem);
        }
    }
    return QString();
}

}  // namespace

MergeResult RunMerge(const TessaroWorkSpace& workspace, const QString& outputPath, MergeHost& host,
                     const JoinOptions& options) {
    host.MergeProgress(0, 100);
    MergeResult refused;
    refused.error = RefuseNames(workspace, outputPath, options);
    if (refused.error.isEmpty()) {
        refused.error = RefuseOutput(workspace, outputPath);
    }
    std::optional<mp3::Picture> cover;
    if (refused.error.isEmpty() && !options.coverFile.isEmpty()) {
        QString why;
        cover = mp3::ReadPictureFile(options.coverFile, &why);
        if (!cover) {
            refused.error = QStringLiteral("Cannot use %1 as the cover picture: %2")
                                .arg(Quoted(options.coverFile), why);
        }
    }
    if (!refused.error.isEmpty()) {
        return refused;
    }
    Join join(workspace, outputPath, host, options, std::move(cover));
    if (!join.Plan() || (options.conform && !join.PlanConform()) ||
        (options.level && !join.Level()) || (options.conform && !join.Conform())) {
        return join.result;
    }
    for (size_t i = 0; i < join.InputCount(); ++i) {
        if (!join.CopyInput(i)) {
            return join.result;
        }
    }
    join.Finish();
    return join.result;
}

}  // namespace tessaro
