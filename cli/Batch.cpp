#include "cli/Batch.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <vector>

#include "cli/Console.h"
#include "cli/JoinInputs.h"
#include "io/Files.h"
#include "workspace/FolderInputs.h"

namespace tessaro::cli {

namespace {

// A folder of a batch, joined into a file of its own, and the exit code of its join.
struct Book {
    QString folder;
    QString output;  // empty for a folder without a name, the root
    // Its files, walked before any book is joined; none for no folder.
    std::optional<tessaro::FolderInputs> files{};
    int exitCode = Failure;
};

// Failure before inputs skipped before success: what a batch's exit code tells of its books.
int Worse(int one, int other) {
    const auto rank = [](int code) { return code == Failure ? 2 : code == InputsSkipped ? 1 : 0; };
    return rank(other) > rank(one) ? other : one;
}

// `path` as messages name it, with where it leads when that reads otherwise.
QString Resolved(const QString& path, const QString& canonical) {
    return canonical == path ? Quoted(path)
                             : QStringLiteral("%1 (%2)").arg(Quoted(path), canonical);
}

// Why the batch must not write into `outputFolder`: it is, or lies inside, the folder of one of
// `books` that is walked (a folder with a name), whose files would then take in the books joined
// before it. Both resolved whole, links included. Empty when it lies outside every book.
QString NestedOutput(const QString& outputFolder, const std::vector<Book>& books) {
    const QString output = QFileInfo(outputFolder).canonicalFilePath();
    for (const Book& book : books) {
        const QString folder = QFileInfo(book.folder).canonicalFilePath();
        const QString inside = folder.endsWith(QLatin1Char('/')) ? folder : folder + u'/';
        if (!book.output.isEmpty() && QFileInfo(folder).isDir() &&
            (output == folder || output.startsWith(inside))) {
            return QStringLiteral(
                       "the output folder %1 lies inside the folder %2 of the batch, whose join "
                       "would take in what the batch writes there; give -o a folder outside "
                       "every folder joined")
                .arg(Resolved(outputFolder, output), Resolved(book.folder, folder));
        }
    }
    return QString();
}

// Leaves out of `walked` each file that is the output of one of `written`, the books whose output
// is there already, through a link or a hard link, with a note: this run would put the book's
// join there, or an earlier run has.
void LeaveOutJoins(tessaro::FolderInputs& walked, const std::vector<const Book*>& written) {
    QStringList kept;
    for (const QString& file : std::as_const(walked.files)) {
        const auto joined = std::find_if(written.begin(), written.end(), [&file](const Book* book) {
            return tessaro::SameFile(file, book->output);
        });
        if (joined == written.end()) {
            kept << file;
            continue;
        }
        walked.notes << QStringLiteral("Skipped %1: it is the file the batch joins %2 into")
                            .arg(Quoted(file), Quoted((*joined)->folder));
        ++walked.skipped;
    }
    walked.files = std::move(kept);
}

// Walks the folder of every book before any is joined, so that none takes in a join of this run.
void WalkBooks(std::vector<Book>& books) {
    std::vector<const Book*> written;
    for (const Book& book : books) {
        if (!book.output.isEmpty() && QFileInfo::exists(book.output)) {
            written.push_back(&book);
        }
    }
    for (Book& book : books) {
        if (!book.output.isEmpty() && QFileInfo(book.folder).isDir()) {
            book.files = tessaro::ExpandFolders({book.folder});
            LeaveOutJoins(*book.files, written);
        }
    }
}

// Joins the book in `book.folder` into `book.output`, as `batch` asks for every book, unless it is
// no folder or its output is an earlier book's; returns the exit code.
int JoinBook(const Book& book, const std::vector<Book>& books, const Request& batch,
             const char*& doing) {
    if (!book.files) {
        return Fail(QStringLiteral("%1 is not a folder with a name; --batch joins the files of "
                                   "each folder given into a file named as the folder")
                        .arg(Quoted(book.folder)));
    }
    for (const Book* other = books.data(); other != &book; ++other) {
        if (other->output == book.output) {
            return Fail(QStringLiteral("%1 would replace the join of %2; give folders of "
                                       "different names")
                            .arg(Quoted(book.output), Quoted(other->folder)));
        }
    }
    Request request = batch;
    request.inputs = {book.folder};
    request.walked = book.files;
    request.output = book.output;
    return JoinInputs(request, doing);
}

// The books the folders of `batch` make, each with its output, none walked yet.
std::vector<Book> BooksOf(const Request& batch) {
    std::vector<Book> books;
    for (const QString& folder : batch.inputs) {
        // The root has no name to give.
        const QString name = QDir(QDir::cleanPath(QFileInfo(folder).absoluteFilePath())).dirName();
        books.push_back(
            {.folder = folder,
             .output = name.isEmpty()
                           ? QString()
                           : QDir(batch.output).filePath(name + QStringLiteral(".mp3"))});
    }
    return books;
}

// Names each book's result.
void Summarise(const std::vector<Book>& books) {
    const auto joined = std::count_if(books.begin(), books.end(),
                                      [](const Book& book) { return book.exitCode != Failure; });
    Print(stdout, QStringLiteral("Joined %1 of %2 folders:").arg(joined).arg(books.size()));
    for (const Book& book : books) {
        QString result = QStringLiteral("failed");
        if (book.exitCode != Failure) {
            result =
                (book.exitCode == InputsSkipped ? QStringLiteral("joined into %1, inputs skipped")
                                                : QStringLiteral("joined into %1"))
                    .arg(Quoted(book.output));
        }
        Print(stdout, QStringLiteral("  %1: %2").arg(Quoted(book.folder), result));
    }
}

}  // namespace

int JoinBatch(const Request& batch, const char*& doing) {
    if (!QFileInfo(batch.output).isDir()) {
        return Fail(QStringLiteral("%1 is not a folder; with --batch, -o names the folder the "
                                   "joined files go to")
                        .arg(Quoted(batch.output)));
    }
    std::vector<Book> books = BooksOf(batch);
    if (const QString nested = NestedOutput(batch.output, books); !nested.isEmpty()) {
        return Misuse(nested);
    }
    doing = "gather the inputs";
    WalkBooks(books);
    int worst = Success;
    for (Book& book : books) {
        book.exitCode = JoinBook(book, books, batch, doing);
        worst = Worse(worst, book.exitCode);
    }
    if (!batch.quiet) {
        Summarise(books);
    }
    return worst;
}

}  // namespace tessaro::cli
