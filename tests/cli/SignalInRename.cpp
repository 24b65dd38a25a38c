// Preloaded into tessaro-join by its tests: a rename of the joined file's temporary file (a name
// holding ".mp3.") first raises the signal whose number TESSARO_RENAME_SIGNAL holds, as if it
// came in the middle of the rename.

#include <dlfcn.h>
#include <stdio.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {

void SignalIfTemporary(const char* from) {
    const char* number = std::getenv("TESSARO_RENAME_SIGNAL");
    if (number != nullptr && std::strstr(from, ".mp3.") != nullptr) {
        std::raise(std::atoi(number));
    }
}

}  // namespace

extern "C" int rename(const char* from, const char* to) {
    SignalIfTemporary(from);
    using Rename = int (*)(const char*, const char*);
    return reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "rename"))(from, to);
}

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned int flags) {
    SignalIfTemporary(from);
    using Rename = int (*)(int, const char*, int, const char*, unsigned int);
    return reinterpret_cast<Rename>(::dlsym(RTLD_NEXT, "renameat2"))(fromFolder, from, toFolder, to,
                                                                     flags);
}
