#include "io/MappedFile.h"

#include "io/InputFile.h"

#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QFile>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>

namespace tessaro {
namespace {

// The mappings the SIGBUS handler may mend, as plain addresses it can read without a lock.
struct Slot {
    std::atomic<bool> taken{false};
    std::atomic<uintptr_t> begin{0};
    std::atomic<uintptr_t> end{0};
    std::atomic<bool> faulted{false};  // a page of zeros stands for one of the file's
};
constexpr int kSlots = 1024;
Slot slots[kSlots];
struct sigaction previousHandler;
uintptr_t pageSize = 4096;
std::once_flag handlerInstalled;

// A read past the end of a file cut short while mapped: a page of zeros takes the missing page's
// place, so that the read goes on, and the mapping remembers it. Faults elsewhere
// go to the handler that was there before, or kill the process as they always would.
void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    for (Slot& slot : slots) {
        if (info->si_code == BUS_ADRERR && address >= slot.begin.load() &&
            address < slot.end.load()) {
            slot.faulted = true;
            // The system call itself, as a sanitizer's wrapper need not be safe in a handler.
            if (::syscall(SYS_mmap, address & ~(pageSize - 1), pageSize, PROT_READ,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != -1) {
                return;
            }
        }
    }
    if (previousHandler.sa_flags & SA_SIGINFO) {
        previousHandler.sa_sigaction(signal, info, context);
    } else if (previousHandler.sa_handler != SIG_DFL && previousHandler.sa_handler != SIG_IGN) {
        previousHandler.sa_handler(signal);
    } else {
        // Delivered with the default action once this handler returns.
        std::signal(SIGBUS, SIG_DFL);
        std::raise(SIGBUS);
    }
}

void InstallHandler() {
    pageSize = uintptr_t(::sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &previousHandler);
}

int TakeSlot() {
    for (int i = 0; i < kSlots; ++i) {
        bool expected = false;
        if (slots[i].taken.compare_exchange_strong(expected, true)) {
            return i;
        }
    }
    return -1;
}

void FreeSlot(int slot) {
    slots[slot].end = 0;
    slots[slot].begin = 0;
    slots[slot].faulted = false;
    slots[slot].taken = false;
}

}  // namespace

std::shared_ptr<const MappedFile> MappedFile::Map(std::shared_ptr<const InputFile> file,
                                                  qint64 offset, qint64 length, QString* error) {
    std::call_once(handlerInstalled, InstallHandler);
    const int slot = TakeSlot();
    if (slot < 0) {
        *error = qt_error_string(EMFILE);
        return nullptr;
    }
    const qint64 at = file->Offset() + offset;  // in what the descriptor reads
    const qint64 skipped = at % qint64(pageSize);
    void* data = ::mmap(nullptr, size_t(length + skipped), PROT_READ, MAP_SHARED,
                        file->Descriptor(), off_t(at - skipped));
    if (data == MAP_FAILED) {
        *error = qt_error_string(errno);
        FreeSlot(slot);
        return nullptr;
    }
    const auto begin = reinterpret_cast<uintptr_t>(data);
    slots[slot].begin = begin;
    slots[slot].end = begin + uintptr_t(length + skipped);
    return std::shared_ptr<const MappedFile>(new MappedFile(
        std::move(file), static_cast<const quint8*>(data), length + skipped, skipped, slot));
}

MappedFile::MappedFile(std::shared_ptr<const InputFile> file, const quint8* mapping, qint64 length,
                       qint64 skipped, int slot)
    : file(std::move(file)), mapping(mapping), length(length), skipped(skipped), slot(slot) {}

MappedFile::~MappedFile() {
    const bool faulted = slots[slot].faulted;
    // Out of the handler's table first, as the addresses may be mapped anew right after.
    FreeSlot(slot);
    ::munmap(const_cast<quint8*>(mapping), size_t(length));
    if (faulted || file->Changed()) {
        file->Spoil();
    }
}

}  // namespace tessaro
