#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "app/SingleInstance.h"

using tessaro::SingleInstance;

namespace {

// An unprivileged user id for the tests that act as another user.
constexpr uid_t kOtherUser = 65534;

// Hands `files` over to the instance listening on `name` from a thread of its own, as a second
// start does from its process while the first one's event loop runs; `taken` is set to the
// answer once it is known.
std::thread HandOverFrom(const QString& name, const QStringList& files, std::atomic<int>& taken) {
    return std::thread([name, files, &taken] {
        SingleInstance second(name);
        taken = second.HandOver(files) ? 1 : 0;
    });
}

// Whether a start of this user hands `files` over to the instance listening on `name`.
bool HandsOver(const QString& name, const QStringList& files = {QStringLiteral("/c.mp3")}) {
    std::atomic<int> taken{-1};
    std::thread second = HandOverFrom(name, files, taken);
    const bool answered = QTest::qWaitFor([&] { return taken >= 0; }, 10000);
    second.join();
    return answered && taken == 1;
}

sockaddr_un AddressOf(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::copy(name.begin(), name.end(), address.sun_path);
    return address;
}

// A socket bound at `path`, as an instance that crashed leaves it once closed.
int BoundAt(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = AddressOf(path);
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? fd : -1;
}

void LeaveStaleSocket(const QString& path) {
    const int fd = BoundAt(path);
    QVERIFY(fd >= 0);
    ::close(fd);
}

// A connection to `path` that sends `bytes`; -1 when none could be made.
int ClientSending(const QString& path, const QByteArray& bytes = {}) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = AddressOf(path);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::write(fd, bytes.constData(), bytes.size()) != bytes.size()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

mode_t ModeOf(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

bool ClosedByPeer(int fd) {
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

// Runs `body` in a child process as another user; its exit status, or -1 when it ends otherwise.
pid_t AsOtherUser(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(::setgid(kOtherUser) == 0 && ::setuid(kOtherUser) == 0 ? body() : 99);
    }
    return child;
}

int ExitStatus(pid_t child) {
    int status = 0;
    const bool ended =
        QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 10000);
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// An instance that is to listen in a folder of its own and drop connections silent for `idleMs`.
struct Listening {
    explicit Listening(int idleMs) { first.SetIdleTimeout(idleMs); }

    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("tessaro.socket"));
    SingleInstance first{name};
};

}  // namespace

class SingleInstanceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A second start's files reach the running instance as it sent them, and the second start
    // learns that they were taken; with nobody listening, it learns that they were not.
    void secondStartHandsItsFilesToTheFirst() {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("tessaro.socket"));
        std::atomic<int> taken{-1};
        HandOverFrom(name, {QStringLiteral("/a.mp3")}, taken).join();
        QCOMPARE(taken.load(), 0);

        tessaro::SingleInstance first(name);
        QVERIFY(first.Listen());
        QSignalSpy arrived(&first, &tessaro::SingleInstance::FilesArrived);
        const QStringList files{QStringLiteral("/music/01 Ouvertüre.mp3"),
                                QStringLiteral("/music/line\nbreak.mp3"), QStringLiteral("/x")};
        std::thread second = HandOverFrom(name, files, taken);
        QTRY_COMPARE(taken.load(), 1);
        second.join();
        QCOMPARE(arrived.size(), 1);
        QCOMPARE(arrived[0][0].toStringList(), files);

        // One without files only asks for the window.
        taken = -1;
        second = HandOverFrom(name, {}, taken);
        QTRY_COMPARE(taken.load(), 1);
        second.join();
        QCOMPARE(arrived.size(), 2);
        QCOMPARE(arrived[1][0].toStringList(), QStringList());
    }

    // A socket left by a crashed instance is replaced; a live instance's is not taken over.
    void staleSocketIsReplacedLiveOneKept() {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("tessaro.socket"));
        LeaveStaleSocket(name);
        QVERIFY(QFileInfo::exists(name));
        tessaro::SingleInstance first(name);
        QVERIFY(first.Listen());

        tessaro::SingleInstance late(name);
        QVERIFY(!late.Listen());
        QSignalSpy arrived(&first, &tessaro::SingleInstance::FilesArrived);
        std::atomic<int> taken{-1};
        std::thread second = HandOverFrom(name, {QStringLiteral("/b.mp3")}, taken);
        QTRY_COMPARE(taken.load(), 1);
        second.join();
        QCOMPARE(arrived.size(), 1);
    }

    // Only a folder of the user's alone holds the socket, which is the user's alone whatever
    // the umask; only a socket is ever replaced at its name.
    void socketIsTheUsersAlone() {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("tessaro.socket"));
        QVERIFY(::chmod(QFile::encodeName(dir.path()), 0755) == 0);
        QVERIFY(!SingleInstance(name).Listen() && !QFileInfo::exists(name));
        const int shared = BoundAt(name);
        QVERIFY(::listen(shared, 4) == 0);
        QVERIFY(!SingleInstance(name).HandOver({QStringLiteral("/a.mp3")}, 500));
        pollfd waiting{shared, POLLIN, 0};
        QCOMPARE(::poll(&waiting, 1, 0), 0);  // nobody came
        ::close(shared);

        Listening window(5000);
        const mode_t umask = ::umask(0);
        QVERIFY(window.first.Listen());
        ::umask(umask);
        QCOMPARE(ModeOf(window.name), mode_t(0600));
        QFile file(window.dir.filePath(QStringLiteral("file")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("kept") == 4);
        file.close();
        QVERIFY(!SingleInstance(file.fileName()).Listen());
        QCOMPARE(file.size(), 4);
    }

    // XDG_RUNTIME_DIR when it is the user's alone, else a folder of the user's made in the
    // temporary folder; none when what is found there is open to others or a link.
    void nameForUserIsInAPrivateFolderOrNone() {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"), temporary = qgetenv("TMPDIR");
        QTemporaryDir privateDir, shared;
        QVERIFY(::chmod(QFile::encodeName(shared.path()), 0755) == 0);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(privateDir.path()));
        QCOMPARE(QFileInfo(SingleInstance::NameForUser()).path(), privateDir.path());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(shared.path()));
        qputenv("TMPDIR", QFile::encodeName(shared.path()));
        const mode_t umask = ::umask(0277);
        const QString folder = QFileInfo(SingleInstance::NameForUser()).path();
        ::umask(umask);
        QCOMPARE(QFileInfo(folder).path(), shared.path());
        QCOMPARE(ModeOf(folder), mode_t(0700));
        QVERIFY(::chmod(QFile::encodeName(folder), 0711) == 0);
        QVERIFY(SingleInstance::NameForUser().isEmpty());
        QVERIFY(QDir(folder).removeRecursively() && QFile::link(privateDir.path(), folder));
        QVERIFY(SingleInstance::NameForUser().isEmpty());  // a link, even to a folder of ours
        qputenv("XDG_RUNTIME_DIR", runtime);
        qputenv("TMPDIR", temporary);
    }

    // Where another user reaches the socket after all, the window refuses to serve them, and a
    // start never hands its files to another user's listener.
    void otherUsersAreNeitherServedNorHandedFiles() {
        if (::geteuid() != 0) {
            QSKIP("acting as another user needs root");
        }
        Listening window(60000);
        QVERIFY(window.first.Listen());
        QVERIFY(::chmod(QFile::encodeName(window.dir.path()), 0711) == 0);
        QVERIFY(::chmod(QFile::encodeName(window.name), 0666) == 0);
        const pid_t client = AsOtherUser([&] {
            const int fd = ClientSending(window.name);
            pollfd answer{fd, POLLIN, 0};
            return fd >= 0 && ::poll(&answer, 1, 3000) == 1 && ClosedByPeer(fd) ? 0 : 1;
        });
        QCOMPARE(ExitStatus(client), 0);

        const QString theirs = window.dir.filePath(QStringLiteral("theirs.socket"));
        const int fd = BoundAt(theirs);
        int listening[2];
        QVERIFY(::pipe(listening) == 0);
        const pid_t listener = AsOtherUser([fd, listening] {
            for (::listen(fd, 4), ::close(listening[1]);;) {
                (void)!::write(::accept(fd, nullptr, nullptr), "+", 1);
            }
            return 0;
        });
        ::close(listening[1]);
        char none = 0;
        QCOMPARE(::read(listening[0], &none, 1), ssize_t(0));  // it listens
        QVERIFY(::chmod(QFile::encodeName(window.dir.path()), 0700) == 0);
        const bool taken = SingleInstance(theirs).HandOver({QStringLiteral("/a.mp3")}, 1000);
        ::kill(listener, SIGKILL);
        ExitStatus(listener);
        QVERIFY(!taken);
    }

    // A list of 100,000 paths fits, even a message that comes in pieces is taken, one longer
    // than the limit is refused at its length, and a silent connection is dropped.
    void messagesAreBoundedAndSilenceDropped() {
        Listening window(60000);
        QVERIFY(window.first.Listen());
        QSignalSpy arrived(&window.first, &SingleInstance::FilesArrived);
        QStringList files;
        for (int i = 0; i < 100000; ++i) {
            files << QStringLiteral("/home/someone/Music/The Artist/The Album/%1 Title.mp3").arg(i);
        }
        QVERIFY(HandsOver(window.name, files));
        QCOMPARE(arrived.value(0).value(0).toStringList(), files);

        QByteArray message;
        QDataStream stream(&message, QIODevice::WriteOnly);
        stream << quint32(0) << QStringList{QStringLiteral("/d.mp3")};
        qToBigEndian(quint32(message.size() - 4), message.data());
        const int pieces = ClientSending(window.name, message.left(2));
        QTest::qWait(20);
        QCOMPARE(::write(pieces, message.constData() + 2, message.size() - 2), message.size() - 2);
        QTRY_COMPARE(arrived.value(1).value(0).toStringList(),
                     QStringList{QStringLiteral("/d.mp3")});

        qToBigEndian(quint32(SingleInstance::kMessageLimit + 1), message.data());
        const int refused = ClientSending(window.name, message.left(4));
        QTRY_VERIFY_WITH_TIMEOUT(ClosedByPeer(refused), 2000);
        window.first.SetIdleTimeout(50);
        const int silent = ClientSending(window.name),
                  half = ClientSending(window.name, message.left(2));
        QTRY_VERIFY_WITH_TIMEOUT(ClosedByPeer(silent) && ClosedByPeer(half), 2000);
        for (int fd : {pieces, refused, silent, half}) {
            ::close(fd);
        }
    }

    // A flood of connections holds a bounded number of the window's descriptors, and running
    // out of them never closes the socket: once there are some again, a start hands over.
    void connectionFloodsNeverCloseTheSocket() {
        Listening window(100);
        QVERIFY(window.first.Listen());
        const auto descriptors = [] { return QDir(QStringLiteral("/proc/self/fd")).count(); };
        const uint before = descriptors();
        std::vector<int> held(200);
        for (int& fd : held) {
            fd = ClientSending(window.name);
        }
        QTest::qWait(20);
        QVERIFY(descriptors() < before + 200 + 100);  // the window took only some of them
        for (int fd : held) {
            ::close(fd);
        }
        held = {ClientSending(window.name)};  // waits while descriptors run out
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        const rlimit scarce{descriptors(), limit.rlim_max};
        ::setrlimit(RLIMIT_NOFILE, &scarce);
        for (int fd; (fd = ::dup(0)) >= 0;) {
            held.push_back(fd);
        }
        QTest::qWait(50);
        for (int fd : held) {
            ::close(fd);
        }
        ::setrlimit(RLIMIT_NOFILE, &limit);
        QVERIFY(HandsOver(window.name));
    }
};

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "SingleInstanceTest.moc"
