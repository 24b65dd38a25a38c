#include "cli/JoinInputs.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <optional>

#include "chapters/Chapters.h"
#include "cli/Console.h"
#include "io/AtomicWrite.h"
#include "io/Files.h"
#include "merge/MergeJob.h"
#include "workspace/NaturalOrder.h"
#include "workspace/TessaroWorkSpace.h"
#include "workspace/WorkSpaceLoad.h"

namespace tessaro::cli {

namespace {

// Fills the workspace from a ".twk" file, the folders it lists standing for their files (what
// they came to in `folders`); returns why the file cannot be used, or an empty text.
QString LoadWorkspace(tessaro::TessaroWorkSpace& workspace, const QString& path,
                      tessaro::FolderInputs& folders) {
    using Kind = tessaro::WorkSpaceLoadFailure::Kind;
    if (const auto failure = tessaro::LoadWorkSpace(workspace, path, folders)) {
        if (!failure->unopened.isEmpty()) {
            return QStringLiteral("cannot open the workspace %1: %2")
                .arg(Quoted(path), failure->unopened);
        }
        return failure->kind == Kind::NotWorkSpace
                   ? QStringLiteral("%1 is not a workspace file: it does not start with \"TWKS\"")
                         .arg(Quoted(path))
                   : QStringLiteral("the workspace %1 is damaged: %2")
                         .arg(Quoted(path), failure->reason);
    }
    if (workspace.Paths().isEmpty()) {
        return QStringLiteral("the workspace %1 lists no files to join").arg(Quoted(path));
    }
    return QString();
}

// Puts the inputs in the order asked for; without one, warns of numbered names that natural
// order would put the other way round, as a shell's "Chapter*.mp3" gives them.
void Order(tessaro::TessaroWorkSpace& workspace, const QString& order) {
    if (order.isEmpty()) {
        if (const auto pair = tessaro::FirstPairOutOfOrder(workspace.Paths())) {
            Warn(QStringLiteral("%1 is joined before %2, against the natural order of their "
                                "names; --sort=natural joins the inputs in that order")
                     .arg(Quoted(pair->first), Quoted(pair->second)));
        }
        return;
    }
    workspace.SetPaths(order == QStringLiteral("track")
                           ? tessaro::SortedByTrack(workspace.Paths())
                           : tessaro::SortedByFileName(workspace.Paths()));
}

// Fills the workspace with the inputs asked for, each folder standing for its files, in the
// order asked for, and the tag values given, each of which replaces the workspace's own; returns
// why it cannot be, or an empty text. `skipped` counts the folders that gave nothing.
QString FillWorkspace(tessaro::TessaroWorkSpace& workspace, const Request& request, int& skipped) {
    tessaro::FolderInputs folders;
    QString problem;
    if (request.workspaceFile.isEmpty()) {
        folders = request.walked ? *request.walked : tessaro::ExpandFolders(request.inputs);
        for (const QString& input : std::as_const(folders.files)) {
            workspace.AddPath(input);
        }
    } else {
        problem = LoadWorkspace(workspace, request.workspaceFile, folders);
    }
    for (const QString& note : std::as_const(folders.notes)) {
        Warn(note);
    }
    if (!problem.isEmpty()) {
        return problem;
    }
    skipped = folders.skipped;
    Order(workspace, request.order);
    workspace.SetTag(request.tag.Over(workspace.Tag()));
    return QString();
}

// What the run reads or writes at `path` already ("the output", "an input", ...), which
// chapters written there would replace; empty for nothing.
QString TakenFor(const QString& path, const Request& request,
                 const tessaro::TessaroWorkSpace& workspace) {
    const tessaro::JoinOptions& join = request.preferences.options;
    const std::pair<const char*, QStringList> uses[] = {{"the output", {request.output}},
                                                        {"an input", workspace.Paths()},
                                                        {"the workspace", {request.workspaceFile}},
                                                        {"the cover picture", {join.coverFile}},
                                                        {"the chapter file", {join.chapterFile}}};
    // The output may not be there yet: then its path alone tells.
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    for (const auto& [use, paths] : uses) {
        for (const QString& other : paths) {
            if (!other.isEmpty() &&
                (QDir::cleanPath(QFileInfo(other).absoluteFilePath()) == absolute ||
                 tessaro::SameFile(path, other))) {
                return QLatin1String(use);
            }
        }
    }
    return QString();
}

// Why the chapters must not be written to the file asked for, found before anything is written:
// a place where no file can be put, or a file the run reads or writes. Empty when they may, or
// none are asked for.
QString RefuseExport(const Request& request, const tessaro::TessaroWorkSpace& workspace) {
    const QString& target = request.exportChapters;
    if (target.isEmpty()) {
        return QString();
    }
    QString refusal = tessaro::AtomicWriteRefusal(target);
    if (const QString taken = TakenFor(target, request, workspace);
        refusal.isEmpty() && !taken.isEmpty()) {
        refusal = QStringLiteral("it is ") + taken;
    }
    return refusal.isEmpty()
               ? QString()
               : QStringLiteral("cannot write the chapters to %1: %2").arg(Quoted(target), refusal);
}

// Joins the inputs, the chapters exported where asked: the join writes them along with the
// output, so that chapters their form cannot hold leave both files unwritten.
tessaro::MergeResult Join(const tessaro::TessaroWorkSpace& workspace, const Request& request) {
    ConsoleHost host(!request.quiet && isatty(STDERR_FILENO));
    const tessaro::JoinOptions& options = request.preferences.options;
    std::optional<tessaro::ChapterExport> exported;
    if (!request.exportChapters.isEmpty()) {
        exported = {
            request.exportChapters,
            options.chapterForm.value_or(tessaro::ChapterFormOfName(request.exportChapters))};
    }
    return tessaro::RunMerge({.inputs = workspace.Paths(),
                              .output = request.output,
                              .tag = workspace.Tag(),
                              .writeTag = request.preferences.saveID3Tag,
                              .options = options,
                              .forceName = request.forceName,
                              .chapterExport = exported},
                             host);
}

// Prints the warnings and the outcome; returns the exit code. `inputCount` counts the folders
// that gave no file among the inputs.
int Report(const tessaro::MergeResult& result, const Request& request, qsizetype inputCount) {
    for (const QString& warning : result.warnings) {
        Warn(warning);
    }
    if (!result.Succeeded()) {
        return Fail(result.error);
    }
    const qsizetype skipped = inputCount - result.inputsJoined;
    if (!request.quiet) {
        Print(stdout,
              QStringLiteral("Joined %1 of %2 inputs%3: %4 frames, %5 bytes written to %6")
                  .arg(result.inputsJoined)
                  .arg(inputCount)
                  .arg(skipped == 0 ? QString() : QStringLiteral(" (%1 skipped)").arg(skipped))
                  .arg(result.frames)
                  .arg(result.written)
                  .arg(request.output));
    }
    return skipped == 0 ? Success : InputsSkipped;
}

}  // namespace

int JoinInputs(const Request& request, const char*& doing) {
    if (const QString misnamed = tessaro::MisnamedOutput(request.output);
        !request.forceName && !misnamed.isEmpty()) {
        return Fail(QStringLiteral("cannot write %1: %2; --force-name writes it anyway")
                        .arg(Quoted(request.output), misnamed));
    }
    doing = "gather the inputs";
    tessaro::TessaroWorkSpace workspace;
    int skippedFolders = 0;
    if (const QString problem = FillWorkspace(workspace, request, skippedFolders);
        !problem.isEmpty()) {
        return Fail(problem);
    }
    if (const QString refusal = RefuseExport(request, workspace); !refusal.isEmpty()) {
        return Fail(refusal);
    }
    doing = "join the inputs";
    const tessaro::MergeResult result = Join(workspace, request);
    return Report(result, request, workspace.Paths().size() + skippedFolders);
}

}  // namespace tessaro::cli
