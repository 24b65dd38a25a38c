// Faults injected into merges: a disk that fills up, a folder that cannot be written, inputs that
// change or go away while the merge reads them. Each must be reported, and a failed merge must
// leave the earlier target as it was and no temporary file behind.

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <mutex>
#include <optional>

#include "TestFiles.h"
#include "merge/MergeJob.h"
#include "workspace/TessaroWorkSpace.h"

namespace {

// Reads of the file at this path fail with EIO from this offset on, as on a disk going bad. The
// reader's own calls come here: the test program's definition stands before the C library's.
QByteArray failingPath;
off_t failingFrom = 0;

bool ReadFails(int fd, size_t count, off_t at) {
    char path[4096];
    const ssize_t length = ::readlink(
        QByteArray("/proc/self/fd/" + QByteArray::number(fd)).constData(), path, sizeof path);
    return !failingPath.isEmpty() && at + off_t(count) > failingFrom && length > 0 &&
           QByteArray(path, int(length)) == failingPath;
}

// A fault of the reads of the file at `path` (the reader's and those of every pass over it,
// whatever thread makes them): from the `skip`-th read on, each fails with EIO, or that one alone
// does, or the file is rewritten (its times put back) or cut short before it is read; or every
// read gives half the bytes asked for, as the system may.
enum class Fault { None, Eio, OneEio, Rewrite, Truncate, ShortReads };
struct Injected {
    std::mutex lock;
    QByteArray path;
    Fault kind = Fault::None;
    int skip = 0;
    bool fired = false;
    QByteArray rewritten;  // what Rewrite puts in its place
} injected;

Fault TakeFault(int fd) {
    char path[4096];
    const ssize_t length = ::readlink(
        QByteArray("/proc/self/fd/" + QByteArray::number(fd)).constData(), path, sizeof path);
    const std::lock_guard<std::mutex> guard(injected.lock);
    if (injected.kind == Fault::None || length <= 0 ||
        QByteArray(path, int(length)) != injected.path) {
        return Fault::None;
    }
    if (injected.kind == Fault::ShortReads || (injected.fired && injected.kind == Fault::Eio)) {
        return injected.kind;
    }
    if (injected.fired || injected.skip-- > 0) {
        return Fault::None;
    }
    injected.fired = true;
    return injected.kind;
}

}  // namespace

extern "C" ssize_t pread(int fd, void* buffer, size_t count, off_t at) {
    static const auto next =
        reinterpret_cast<ssize_t (*)(int, void*, size_t, off_t)>(::dlsym(RTLD_NEXT, "pread"));
    if (ReadFails(fd, count, at)) {
        errno = EIO;
        return -1;
    }
    switch (TakeFault(fd)) {
        case Fault::Eio:
        case Fault::OneEio:
            errno = EIO;
            return -1;
        case Fault::Rewrite:
            testing_files::RewriteKeepingTimes(QFile::decodeName(injected.path),
                                               injected.rewritten);
            break;
        case Fault::Truncate:
            ::truncate(injected.path.constData(), injected.rewritten.size() / 2);
            break;
        case Fault::ShortReads:
            count = std::max<size_t>(1, count / 2);
            break;
        case Fault::None:
            break;
    }
    return next(fd, buffer, count, at);
}

namespace {

using namespace testing_files;

const QByteArray kOldTarget("the output of an earlier merge");

class MergeFaultTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        return WriteAll(dir.filePath(name), bytes);
    }
    tessaro::MergeResult Merge(const tessaro::JoinOptions& options = {}) {
        return tessaro::RunMerge(JoinOf(workspace, output, options, writeTag), host);
    }
    // A failed merge: said why, naming `culprit`; the folder holds what it held before.
    void ExpectFailureThatChangedNothing(const tessaro::MergeResult& result, const QString& culprit,
                                         const QStringList& entries) {
        EXPECT_FALSE(result.Succeeded());
        EXPECT_TRUE(result.error.contains(culprit)) << result.error.toStdString();
        EXPECT_EQ(ReadAll(output), kOldTarget);
        EXPECT_EQ(FolderEntries(dir.path()), entries);
    }

    QTemporaryDir dir;
    QString output = Write(QStringLiteral("out.mp3"), kOldTarget);
    tessaro::TessaroWorkSpace workspace;
    bool writeTag = true;
    RecordingHost host;
};

TEST_F(MergeFaultTest, ADiskThatFillsUpAtAnyPointIsReported) {
    // 3 MB of frames: the disk fills before the first write, inside the first 1 MiB write, in a
    // later one and in the last one.
    workspace.AddPath(Write(QStringLiteral("in.mp3"), Mp3Frames(7500)));
    for (const rlim_t limit : {rlim_t(0), rlim_t(4096), rlim_t(1536 * 1024), rlim_t(3100000)}) {
        SCOPED_TRACE(limit);
        tessaro::MergeResult result;
        {
            const FileSizeLimit full(limit);
            result = Merge();
        }
        ExpectFailureThatChangedNothing(result, output, {"in.mp3", "out.mp3"});
        EXPECT_TRUE(result.error.contains(QStringLiteral("File too large")))
            << result.error.toStdString();
    }
}

TEST_F(MergeFaultTest, ADiskThatFillsUpWhileTheTagIsWrittenIsReportedLikeAnyOther) {
    workspace.AddPath(Write(QStringLiteral("in.mp3"), Mp3Frames(50)));
    workspace.SetTag({QStringLiteral("Album"), QStringLiteral("Artist"), QStringLiteral("Title"),
                      2001, QString()});
    // The tag goes first; not all of it fits.
    std::optional<FileSizeLimit> full(rlim_t(100));
    const tessaro::MergeResult result = Merge();
    full.reset();
    ExpectFailureThatChangedNothing(result, output, {"in.mp3", "out.mp3"});
}

TEST_F(MergeFaultTest, AnInputThatShrinksOrGrowsWhileItIsReadFailsTheMerge) {
    const QString input = dir.filePath(QStringLiteral("in.mp3"));
    workspace.AddPath(Write(QStringLiteral("first.mp3"), Mp3Frames(3)));
    workspace.AddPath(input);
    const std::function<void()> shrink = [&] { QFile::resize(input, 100000); };
    // Other bytes of the same size, with the time of the change put back.
    const std::function<void()> rewrite = [&] {
        RewriteKeepingTimes(input, ReadAll(input).replace(char(0x12), char(0x13)));
    };
    const std::function<void()> grow = [&] {
        QFile file(input);
        file.open(QIODevice::Append);
        file.write(Mp3Frames(2));
    };
    // Read at once, and in several buffers.
    for (const int frames : {400, 6000}) {
        for (const auto& change : {shrink, grow, rewrite}) {
            WriteAll(input, Mp3Frames(frames));
            host.progress.clear();
            // Inside the second input, after its first frame.
            host.duringProgress = [&] {
                if (host.progress.size() == 5) {
                    change();
                }
            };
            ExpectFailureThatChangedNothing(Merge(), input, {"first.mp3", "in.mp3", "out.mp3"});
        }
    }
}

TEST_F(MergeFaultTest, AnInputThatCannotBeReadFailsTheMergeNamingIt) {
    workspace.AddPath(Write(QStringLiteral("first.mp3"), Mp3Frames(3)));
    const QString input = Write(QStringLiteral("in.mp3"), Mp3Frames(400));
    workspace.AddPath(input);
    failingPath = QFile::encodeName(input);
    // Its trailing tags cannot be looked for; its frames cannot be read from the middle on.
    for (const off_t from : {off_t(0), off_t(417 * 200)}) {
        failingFrom = from;
        const tessaro::MergeResult result = Merge();
        ExpectFailureThatChangedNothing(result, input, {"first.mp3", "in.mp3", "out.mp3"});
        EXPECT_TRUE(result.error.contains(qt_error_string(EIO))) << result.error.toStdString();
    }
    failingPath.clear();
}

TEST_F(MergeFaultTest, EveryPassFailsTheJoinForAnInputItCannotReadWholeAsOpened) {
    // The second input, of another format, is re-encoded with --conform; the first tells what
    // to. A read error, a single one included, a rewrite or a cut in any read of either, in
    // whichever pass makes it (planning, measuring, re-encoding, a seam, the copy), fails the
    // join; reads that give fewer bytes than asked change nothing.
    const QByteArray firstBytes = ReadAll(Fixture(QStringLiteral("cbr128_stereo.mp3")));
    const QByteArray laterBytes = ReadAll(Fixture(QStringLiteral("cbr192_48k.mp3")));
    const QString first = Write(QStringLiteral("first.mp3"), firstBytes);
    const QString later = Write(QStringLiteral("later.mp3"), laterBytes);
    workspace.AddPath(first);
    workspace.AddPath(later);
    const tessaro::JoinOptions level{.level = true}, conform{.conform = true},
        seamless{.seamless = true},
        all{.chapters = true, .seamless = true, .level = true, .conform = true};
    const QStringList entries{"first.mp3", "later.mp3", "out.mp3"};
    const auto arm = [](const QString& path, Fault kind, int skip, const QByteArray& bytes) {
        const std::lock_guard<std::mutex> guard(injected.lock);
        injected.path = QFile::encodeName(path);
        injected.kind = kind;
        injected.skip = skip;
        injected.fired = false;
        injected.rewritten = bytes;
        injected.rewritten.replace(char(0x55), char(0x56));
    };
    for (const auto& [name, options] :
         std::vector<std::pair<const char*, tessaro::JoinOptions>>{{"plain", {}},
                                                                   {"--level", level},
                                                                   {"--conform", conform},
                                                                   {"--seamless", seamless},
                                                                   {"all", all}}) {
        const tessaro::MergeResult joined = Merge(options);
        ASSERT_TRUE(joined.Succeeded()) << name << joined.error.toStdString();
        const QByteArray reference = ReadAll(output);
        for (const auto& [path, bytes] : {std::pair{first, firstBytes}, {later, laterBytes}}) {
            SCOPED_TRACE(std::string(name) + " " + path.toStdString());
            arm(path, Fault::ShortReads, 0, bytes);
            const tessaro::MergeResult shortReads = Merge(options);
            arm(path, Fault::None, 0, bytes);
            EXPECT_TRUE(shortReads.Succeeded()) << shortReads.error.toStdString();
            EXPECT_EQ(ReadAll(output), reference);
            for (const Fault kind : {Fault::Eio, Fault::OneEio, Fault::Rewrite, Fault::Truncate}) {
                for (int skip = 0;; ++skip) {
                    SCOPED_TRACE(testing::Message()
                                 << "fault " << int(kind) << " at read " << skip);
                    WriteAll(path, bytes);
                    WriteAll(output, kOldTarget);
                    arm(path, kind, skip, bytes);
                    const tessaro::MergeResult result = Merge(options);
                    const bool fired = injected.fired;
                    arm(path, Fault::None, 0, bytes);
                    if (!fired) {
                        EXPECT_TRUE(result.Succeeded()) << result.error.toStdString();
                        EXPECT_GT(skip, 1);
                        break;
                    }
                    ExpectFailureThatChangedNothing(result, path, entries);
                    // A cut may be found as one, or as a file that ends too soon.
                    const QString said = result.error;
                    EXPECT_TRUE(kind == Fault::Eio || kind == Fault::OneEio
                                    ? said.contains(qt_error_string(EIO))
                                    : said.contains(QStringLiteral("changed")) ||
                                          (kind == Fault::Truncate &&
                                           said.contains(QStringLiteral("cut short"))))
                        << said.toStdString();
                    ASSERT_LT(skip, 40);
                }
            }
        }
    }
}

// The descriptors the process holds.
int OpenDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

TEST_F(MergeFaultTest, ReEncodedInputsHoldNoDescriptorEachAndALimitReachedIsNamed) {
    // Forty inputs to re-encode under a limit of 32 open files, in a process of its own: what
    // they become waits in one file, not one each, so they all join. Under a limit that leaves
    // almost none, the join fails and says so, not that the encoder does not take the format.
    workspace.AddPath(
        Write(QStringLiteral("first.mp3"), ReadAll(Fixture(QStringLiteral("cbr128_stereo.mp3")))));
    const QString misfit =
        Write(QStringLiteral("misfit.mp3"), ReadAll(Fixture(QStringLiteral("cbr192_48k.mp3"))));
    for (int i = 0; i < 40; ++i) {
        workspace.AddPath(misfit);
    }
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const tessaro::JoinOptions conform{.conform = true};
        QByteArray told;
        for (const int limit : {32, OpenDescriptors() + 2}) {
            const rlimit set{rlim_t(limit), rlim_t(limit)};
            ::setrlimit(RLIMIT_NOFILE, &set);
            const tessaro::MergeResult result = Merge(conform);
            told += QByteArray::number(result.inputsJoined) + ' ' + result.error.toUtf8() + '\n';
        }
        const bool sent = ::write(channel[1], told.constData(), size_t(told.size())) >= 0;
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    QByteArray told;
    char buffer[4096];
    for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        told.append(buffer, qsizetype(got));
    }
    ::close(channel[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const QList<QByteArray> lines = told.split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], "41 ");
    EXPECT_TRUE(QString::fromUtf8(lines[1]).contains(qt_error_string(EMFILE)))
        << lines[1].toStdString();
}

TEST_F(MergeFaultTest, AnInputRemovedBeforeItIsReadIsSkippedWithAWarning) {
    const QByteArray a = Mp3Frames(3), c = Mp3Frame(0x77);
    workspace.AddPath(Write(QStringLiteral("a.mp3"), a));
    const QString b = Write(QStringLiteral("b.mp3"), Mp3Frames(2));
    workspace.AddPath(b);
    workspace.AddPath(Write(QStringLiteral("c.mp3"), c));
    host.duringProgress = [&] { QFile::remove(b); };
    const tessaro::MergeResult result = Merge();
    ASSERT_TRUE(result.Succeeded()) << result.error.toStdString();
    ASSERT_EQ(result.warnings.size(), 1);
    EXPECT_TRUE(result.warnings[0].contains(b));
    EXPECT_EQ(ReadBehindTag(output), a + c);
    EXPECT_EQ(result.inputsJoined, 2);
}

TEST_F(MergeFaultTest, AnInputRemovedWhileItIsReadFailsTheMerge) {
    const QString input = Write(QStringLiteral("in.mp3"), Mp3Frames(400));
    workspace.AddPath(input);
    // After its first frame.
    host.duringProgress = [&] {
        if (host.progress.size() == 2) {
            QFile::remove(input);
        }
    };
    ExpectFailureThatChangedNothing(Merge(), input, {"out.mp3"});
}

TEST_F(MergeFaultTest, AnInputThatGainsFramesAfterTheChaptersArePlannedFailsTheMerge) {
    const QString later = Write(QStringLiteral("later.mp3"), "no frames yet");
    workspace.AddPath(Write(QStringLiteral("first.mp3"), Mp3Frames(3)));
    workspace.AddPath(later);
    host.duringProgress = [&] {
        if (host.progress.size() == 2) {
            WriteAll(later, Mp3Frames(2));
        }
    };
    ExpectFailureThatChangedNothing(
        tessaro::RunMerge(JoinOf(workspace, output, {.chapters = true}, writeTag), host),
        QStringLiteral("changed"), {"first.mp3", "later.mp3", "out.mp3"});
}

TEST_F(MergeFaultTest, AnInputReplacedAfterItsTagsWereReadFailsTheMerge) {
    // The chapters' titles come from the file that was opened; another file put in its place
    // must not give the audio.
    const QString later = Write(QStringLiteral("later.mp3"), Id3v2Tag("Planned", 0) + Mp3Frames(3));
    const QString other = Write(QStringLiteral("other.mp3"), Id3v2Tag("Other", 0) + Mp3Frames(5));
    workspace.AddPath(Write(QStringLiteral("first.mp3"), Mp3Frames(3)));
    workspace.AddPath(later);
    host.duringProgress = [&] {
        if (host.progress.size() == 2) {
            QFile::remove(later);
            QFile::rename(other, later);
        }
    };
    ExpectFailureThatChangedNothing(
        tessaro::RunMerge(JoinOf(workspace, output, {.chapters = true}, writeTag), host), later,
        {"first.mp3", "later.mp3", "out.mp3"});
}

// An ID3v2.3 tag holding a picture of `size` zero bytes, in a compressed frame (a few hundred KiB
// in the file, `size` bytes once inflated) or else as they are, the zeros left as a hole in the
// file at `path`, which is written with three frames behind the tag.
QString WriteInputWithPicture(const QString& path, qint64 size, bool compressed) {
    // Text encoding, MIME type, picture type, empty description, then the picture. qCompress
    // puts the length in front of the zlib stream, as the compressed frame wants it.
    const QByteArray fieldsHead("\0image/jpeg\0\x03\0", 14);
    const QByteArray body =
        compressed ? qCompress(fieldsHead + QByteArray(size, '\0'), 1) : fieldsHead;
    const qint64 bodySize = compressed ? body.size() : 14 + size;
    const QByteArray frame = "APIC" + SizeBytes(quint32(bodySize), false) +
                             QByteArray(compressed ? "\0\x80" : "\0\0", 2);
    const QByteArray header =
        QByteArray("ID3\x03\0\0", 6) + SizeBytes(quint32(frame.size() + bodySize), true);
    QFile file(path);
    const qint64 tagEnd = header.size() + frame.size() + bodySize;
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(header + frame + body) > 0 &&
                file.resize(tagEnd) && file.seek(tagEnd) && file.write(Mp3Frames(3)) > 0);
    return path;
}

TEST_F(MergeFaultTest, ATagLargerThanID3v2CanHoldFailsTheMergeBeforeAnythingIsWritten) {
    const QString input = dir.filePath(QStringLiteral("in.mp3"));
    // The largest picture an input's tag holds, which the joined tag's chapters take past it.
    const qint64 largest = (qint64(1) << 28) - 1 - 24;
    workspace.AddPath(WriteInputWithPicture(input, largest, false));
    const tessaro::JoinOptions copyCover{.chapters = true, .copyCover = true};
    tessaro::MergeResult result =
        tessaro::RunMerge(JoinOf(workspace, output, copyCover, writeTag), host);
    ExpectFailureThatChangedNothing(result, output, {"in.mp3", "out.mp3"});
    EXPECT_TRUE(result.error.contains(QStringLiteral("more than the 268435465 an ID3v2 tag")))
        << result.error.toStdString();
    // The same picture compressed is never inflated: the join goes on without it.
    WriteInputWithPicture(input, largest, true);
    result = tessaro::RunMerge(JoinOf(workspace, output, copyCover, writeTag), host);
    EXPECT_TRUE(result.Succeeded()) << result.error.toStdString();
    EXPECT_FALSE(ReadAll(output).contains("APIC"));
}

// A folder the merge may not write in, tried by a process that cannot ignore permissions.
class LockedFolderTest : public MergeFaultTest {
protected:
    void SetUp() override {
        // The unprivileged child must reach the inputs.
        ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("locked")));
        workspace.AddPath(Write(QStringLiteral("in.mp3"), Mp3Frames(3)));
    }
    void Lock() { ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0555), 0); }
    void TearDown() override { ::chmod(QFile::encodeName(locked).constData(), 0755); }
    QString MergeUnprivileged(std::optional<rlim_t> limit = std::nullopt) {
        return RunWithoutPrivileges([&] {
            std::optional<FileSizeLimit> full;
            if (limit) {
                full.emplace(*limit);
            }
            const tessaro::MergeResult result = Merge();
            return result.Succeeded() ? QStringLiteral("merged") : result.error;
        });
    }

    const QString locked = dir.filePath(QStringLiteral("locked"));
};

TEST_F(LockedFolderTest, ANewTargetCannotBeCreated) {
    output = locked + QStringLiteral("/out.mp3");
    Lock();
    const QString outcome = MergeUnprivileged();
    EXPECT_TRUE(outcome.contains(output)) << outcome.toStdString();
    EXPECT_TRUE(outcome.contains(QStringLiteral("Permission denied"))) << outcome.toStdString();
    EXPECT_TRUE(FolderEntries(locked).isEmpty());
}

TEST_F(LockedFolderTest, AnExistingTargetIsWrittenInPlace) {
    // The target itself may be written, but no temporary file can be made beside it.
    output = locked + QStringLiteral("/out.mp3");
    WriteAll(output, kOldTarget);
    ASSERT_EQ(::chmod(QFile::encodeName(output).constData(), 0666), 0);
    Lock();
    EXPECT_EQ(MergeUnprivileged(), QStringLiteral("merged"));
    EXPECT_EQ(ReadBehindTag(output), Mp3Frames(3));
    // Written in place, a full disk cannot spare the old file, but it is still reported.
    const QString outcome = MergeUnprivileged(500);
    EXPECT_TRUE(outcome.contains(output)) << outcome.toStdString();
    EXPECT_TRUE(outcome.contains(QStringLiteral("written in place and is now overwritten in part")))
        << outcome.toStdString();
    EXPECT_EQ(FolderEntries(locked), QStringList{QStringLiteral("out.mp3")});
}

}  // namespace
