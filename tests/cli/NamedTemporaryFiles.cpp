// Preloaded into tessaro-join by its tests: every open with O_TMPFILE fails as it does on a file
// system without it, so temporary files are made with a name, as they are there.

#include <dlfcn.h>
#include <fcntl.h>

#include <cerrno>
#include <cstdarg>

extern "C" int open(const char* path, int flags, ...) {
    if ((flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0) {
        va_list arguments;
        va_start(arguments, flags);
        mode = va_arg(arguments, mode_t);
        va_end(arguments);
    }
    using Open = int (*)(const char*, int, ...);
    return reinterpret_cast<Open>(::dlsym(RTLD_NEXT, "open"))(path, flags, mode);
}

// With 64-bit offsets, as here, the two are one function.
extern "C" int open64(const char* path, int flags, ...) __attribute__((alias("open")));
