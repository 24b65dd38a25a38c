// The two ways a program can copy files into one, as baselines for bench/join-vs-cat.sh: read
// into one reused 1 MiB buffer and written (`read`), or mapped 8 MiB at a time and written from the
// mapping (`map`), each write at its place as the join's writer makes them.
// Usage: bench_copy_baseline read|map OUTPUT INPUT...
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kBuffer = 1 << 20;
constexpr size_t kMapped = 8 << 20;

bool WriteAll(int fd, const char* data, size_t length, off_t at) {
    while (length > 0) {
        const ssize_t done = ::pwrite(fd, data, length, at);
        if (done <= 0) {
            return false;
        }
        data += done;
        length -= size_t(done);
        at += done;
    }
    return true;
}

// Appends the file `in` at `*at` in `out`; false when a call fails.
bool CopyRead(int in, int out, off_t* at, std::vector<char>& buffer) {
    for (off_t from = 0;;) {
        const ssize_t got = ::pread(in, buffer.data(), buffer.size(), from);
        if (got <= 0) {
            return got == 0;
        }
        if (!WriteAll(out, buffer.data(), size_t(got), *at)) {
            return false;
        }
        from += got;
        *at += got;
    }
}

bool CopyMapped(int in, int out, off_t* at) {
    struct stat info;
    if (::fstat(in, &info) != 0) {
        return false;
    }
    for (off_t from = 0; from < info.st_size;) {
        const size_t length = size_t(std::min<off_t>(off_t(kMapped), info.st_size - from));
        void* data = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, in, from);
        if (data == MAP_FAILED) {
            return false;
        }
        const bool written = WriteAll(out, static_cast<const char*>(data), length, *at);
        ::munmap(data, length);
        if (!written) {
            return false;
        }
        from += off_t(length);
        *at += off_t(length);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || (std::strcmp(argv[1], "read") != 0 && std::strcmp(argv[1], "map") != 0)) {
        std::fprintf(stderr, "usage: %s read|map OUTPUT INPUT...\n", argv[0]);
        return 2;
    }
    const bool mapped = std::strcmp(argv[1], "map") == 0;
    const int out = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char> buffer(kBuffer);
    off_t at = 0;
    for (int i = 3; i < argc; ++i) {
        const int in = ::open(argv[i], O_RDONLY);
        const bool copied = in >= 0 && out >= 0 &&
                            (mapped ? CopyMapped(in, out, &at) : CopyRead(in, out, &at, buffer));
        if (in >= 0) {
            ::close(in);
        }
        if (!copied) {
            std::perror(argv[i]);
            return 1;
        }
    }
    return ::close(out) == 0 ? 0 : 1;
}
