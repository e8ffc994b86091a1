#include "cli/interrupt.h"

#include <array>
#include <atomic>
#include <csignal>

namespace cli {

namespace {

constexpr std::array<int, 3> kSignals = {SIGINT, SIGTERM, SIGHUP};

// A lock-free atomic and sigaction() are async-signal-safe; nothing more is done in the handler.
static_assert(std::atomic<int>::is_always_lock_free);
std::atomic<int> g_signal{0};
std::array<struct sigaction, kSignals.size()> g_previous{};
// A signal that the program was started ignoring (nohup, a background job's SIGINT) stays
// ignored: whoever started it asked for that.
std::array<bool, kSignals.size()> g_handled{};

extern "C" void OnStopSignal(int signal) {
    int none = 0;
    g_signal.compare_exchange_strong(none, signal);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (g_handled[i]) {
            sigaction(kSignals[i], &fallback, nullptr);
        }
    }
}

class CInterruptFlag : public CTerminable {
public:
    bool IsTerminating() const override { return g_signal.load() != 0; }
};

const CInterruptFlag g_flag;

} // namespace

CInterruptGuard::CInterruptGuard() {
    g_signal.store(0);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (const int each : kSignals) {
        sigaddset(&action.sa_mask, each);
    }
    // No SA_RESTART: a read waiting for the overwrite answer returns, so the signal ends it too.
    action.sa_flags = 0;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        sigaction(kSignals[i], nullptr, &g_previous[i]);
        g_handled[i] = g_previous[i].sa_handler != SIG_IGN;
        if (g_handled[i]) {
            sigaction(kSignals[i], &action, nullptr);
        }
    }
}

CInterruptGuard::~CInterruptGuard() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        if (g_handled[i]) {
            sigaction(kSignals[i], &g_previous[i], nullptr);
        }
    }
}

const CTerminable& CInterruptGuard::Terminator() const {
    return g_flag;
}

int CInterruptGuard::Signal() const {
    return g_signal.load();
}

int CInterruptGuard::ExitStatus() const {
    return 128 + Signal();
}

} // namespace cli
