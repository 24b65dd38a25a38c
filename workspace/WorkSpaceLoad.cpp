#include "workspace/WorkSpaceLoad.h"

#include <unistd.h>

#include "io/Files.h"

namespace tessaro {

namespace {

// Why the system cannot open `path` as a regular file; empty when it can. Not waiting for a
// FIFO's writer.
QString Unopened(const QString& path) {
    QString reason;
    if (const int fd = OpenRegularFile(path, &reason); fd >= 0) {
        ::close(fd);
    }
    return reason;
}

}  // namespace

std::optional<WorkSpaceLoadFailure> LoadWorkSpace(TessaroWorkSpace& workspace, const QString& path,
                                                  FolderInputs& folders) {
    using Kind = WorkSpaceLoadFailure::Kind;
    if (const QString problem = UnusableName(path); !problem.isEmpty()) {
        return WorkSpaceLoadFailure{Kind::UnusableName, problem, problem};
    }
    try {
        folders = workspace.LoadFromFile(path);
        return std::nullopt;
    } catch (const BadTessaroWorkSpaceIden&) {
        // The loader counts a file it cannot open as one without the identifier: the system's
        // reason is asked for here.
        return WorkSpaceLoadFailure{Kind::NotWorkSpace, QString(), Unopened(path)};
    } catch (const BadTessaroWorkSpaceFile& damaged) {
        return WorkSpaceLoadFailure{Kind::Damaged, damaged.reason, Unopened(path)};
    }
}

}  // namespace tessaro
