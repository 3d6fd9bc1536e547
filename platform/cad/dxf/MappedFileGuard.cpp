#include "platform/cad/dxf/MappedFileGuard.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace cad {

namespace {

// Drawings open at once: a report over many drawings holds a few per core.
constexpr int kGuards = 256;

struct Guard {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> cut{false};
};

Guard g_guards[kGuards];
std::uintptr_t g_pageSize = 4096;
struct sigaction g_previous {};
std::once_flag g_installed;
std::mutex g_guarding; // the signal handler only reads

void OnBusError(int signal, siginfo_t* info, void* context) {
    auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Guard& guard : g_guards) {
        std::uintptr_t begin = guard.begin.load(std::memory_order_acquire);
        if (begin == 0 || address < begin || address >= guard.end.load(std::memory_order_acquire))
            continue;
        void* page = reinterpret_cast<void*>(address & ~(g_pageSize - 1));
        if (mmap(page, g_pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
            guard.cut.store(true, std::memory_order_release);
            return; // the access is made again, and reads zeros
        }
    }
    // Not a page of ours: whatever handled the signal before does, or the program ends as it would have.
    if ((g_previous.sa_flags & SA_SIGINFO) && g_previous.sa_sigaction) {
        g_previous.sa_sigaction(signal, info, context);
        return;
    }
    if (!(g_previous.sa_flags & SA_SIGINFO) && g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(signal);
        return;
    }
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigaction(SIGBUS, &fallback, nullptr);
}

void Install() {
    long size = sysconf(_SC_PAGESIZE);
    g_pageSize = size > 0 ? static_cast<std::uintptr_t>(size) : 4096;
    struct sigaction action {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &g_previous);
}

} // namespace

int GuardMapping(const void* begin, std::size_t size) {
    std::call_once(g_installed, Install);
    auto first = reinterpret_cast<std::uintptr_t>(begin);
    std::lock_guard lock(g_guarding);
    for (int k = 0; k < kGuards; ++k) {
        if (g_guards[k].begin.load(std::memory_order_relaxed) != 0)
            continue;
        // The end is set before the begin that makes the guard count.
        g_guards[k].end.store(first + size, std::memory_order_release);
        g_guards[k].cut.store(false, std::memory_order_release);
        g_guards[k].begin.store(first, std::memory_order_release);
        return k;
    }
    return -1;
}

bool MappingWasCut(int guard) {
    return guard >= 0 && guard < kGuards && g_guards[guard].cut.load(std::memory_order_acquire);
}

void UnguardMapping(int guard) {
    if (guard < 0 || guard >= kGuards)
        return;
    std::lock_guard lock(g_guarding);
    g_guards[guard].begin.store(0, std::memory_order_release);
    g_guards[guard].end.store(0, std::memory_order_release);
}

} // namespace cad
