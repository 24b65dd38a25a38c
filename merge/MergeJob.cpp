#include "merge/MergeJob.h"

#include <QDir>
#include <QFileInfo>
#include <new>
#include <optional>
#include <utility>

#include "io/Files.h"
#include "io/Threads.h"
#include "merge/Join.h"
#include "mp3/PictureFile.h"

namespace tessaro {
namespace {

// Why the join must not write to outputPath: it is misnamed (unless `forceName`), one of the
// inputs, or something a new file must not replace. Empty when it may.
QString RefuseOutput(const QStringList& inputs, const QString& outputPath, bool forceName) {
    if (const QString misnamed = MisnamedOutput(outputPath); !forceName && !misnamed.isEmpty()) {
        return QStringLiteral("Cannot write %1: %2; choose a name ending in \".mp3\".")
            .arg(Quoted(outputPath), misnamed);
    }
    // A path that names nothing yet cannot be an input; the output's identity is taken once.
    const std::optional<FileIdentity> output = IdentityOf(outputPath);
    for (const QString& input : output ? inputs : QStringList()) {
        if (IdentityOf(input) == output) {
            return QStringLiteral(
                       "The output file %1 is also one of the inputs (%2); "
                       "choose another output file.")
                .arg(Quoted(outputPath), Quoted(input));
        }
    }
    const QString refusal = NotReplaceable(outputPath);
    return refusal.isEmpty() ? QString()
                             : QStringLiteral("Cannot write %1: %2; choose another output file.")
                                   .arg(Quoted(outputPath), refusal);
}

// Why a name the join is given, of an input, the output or the cover picture, cannot be used as
// it stands. Empty when all can.
QString RefuseNames(const JoinRequest& request) {
    const JoinOptions& options = request.options;
    for (const QString& name :
         request.inputs + QStringList{request.output, options.coverFile, options.chapterFile}) {
        if (const QString problem = UnusableName(name); !problem.isEmpty()) {
            return QStringLiteral("Cannot use %1: %2.").arg(Quoted(name), problem);
        }
    }
    return QString();
}

MergeResult Failed(QString error) {
    MergeResult result;
    result.error = std::move(error);
    return result;
}

QString OutOfMemory() {
    return QStringLiteral("Not enough memory to join the inputs");
}

// Why the join must not start: a name it cannot use, an output it must not replace, a cover that
// is no picture. Empty when it may; `cover` then holds the picture read, if one is asked for.
QString Refuse(const JoinRequest& request, std::optional<mp3::Picture>& cover) {
    const JoinOptions& options = request.options;
    QString refusal = RefuseNames(request);
    if (refusal.isEmpty()) {
        refusal = RefuseOutput(request.inputs, request.output, request.forceName);
    }
    if (!refusal.isEmpty() || options.coverFile.isEmpty()) {
        return refusal;
    }
    QString why;
    cover = mp3::ReadPictureFile(options.coverFile, &why);
    return cover ? QString()
                 : QStringLiteral("Cannot use %1 as the cover picture: %2")
                       .arg(Quoted(options.coverFile), why);
}

// Runs the join's steps. A lack of memory, or of a thread, fails it as a full disk would: what
// it wrote goes.
void RunSteps(Join& join, const JoinOptions& options) {
    try {
        if (!join.Plan() || (options.conform && !join.PlanConform()) ||
            (options.level && !join.Level()) || (options.conform && !join.Conform())) {
            return;
        }
        for (size_t i = 0; i < join.InputCount(); ++i) {
            if (!join.CopyInput(i)) {
                return;
            }
        }
        join.Finish();
    } catch (const std::bad_alloc&) {
        join.Fail(OutOfMemory());
    } catch (const ThreadRefused& refused) {
        join.Fail(QStringLiteral("Not enough memory to start a thread for ") +
                  QLatin1String(refused.what()));
    }
}

// Runs the join of `request` once the checks its output's bytes call for have passed.
MergeResult RunJoin(const JoinRequest& request, MergeHost& host, JoinOutput::Bytes bytes) {
    try {
        std::optional<mp3::Picture> cover;
        const bool written = bytes == JoinOutput::Bytes::Written;
        if (QString refusal = written ? Refuse(request, cover) : RefuseNames(request);
            !refusal.isEmpty()) {
            return Failed(std::move(refusal));
        }
        Join join(request, host, std::move(cover), bytes);
        RunSteps(join, request.options);
        return std::move(join.result);
    } catch (const std::bad_alloc&) {
        // Before the output was made, or as the result was handed over.
        return Failed(OutOfMemory());
    }
}

}  // namespace

QString MisnamedOutput(const QString& output) {
    static const QStringList kOtherAudio{QStringLiteral("m4b"),  QStringLiteral("m4a"),
                                         QStringLiteral("aac"),  QStringLiteral("ogg"),
                                         QStringLiteral("opus"), QStringLiteral("flac"),
                                         QStringLiteral("wav")};
    const QString extension = QFileInfo(output).suffix();
    return kOtherAudio.contains(extension, Qt::CaseInsensitive)
               ? QStringLiteral(
                     "the output is MP3 audio, which a name ending in \".%1\" passes "
                     "off as another format")
                     .arg(extension)
               : QString();
}

MergeResult RunMerge(const JoinRequest& request, MergeHost& host) {
    host.MergeProgress(0, 100);
    return RunJoin(request, host, JoinOutput::Bytes::Written);
}

MergeResult PreviewMerge(const JoinRequest& request, MergeHost& host) {
    JoinRequest preview = request;
    preview.options.level = false;
    // What re-encoding makes is held beside the output, which may not be chosen yet.
    if (preview.output.isEmpty()) {
        preview.output = QDir::temp().filePath(QStringLiteral("preview.mp3"));
    }
    return RunJoin(preview, host, JoinOutput::Bytes::Counted);
}

}  // namespace tessaro
