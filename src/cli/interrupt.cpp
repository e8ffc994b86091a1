#include "cli/interrupt.h"

#include <atomic>
#include <csignal>
#include <cstring>

namespace cli {

namespace {

// A store to a lock-free atomic is async-signal-safe; anything more is not done in the handler.
static_assert(std::atomic<bool>::is_always_lock_free);
std::atomic<bool> g_interrupted{false};
struct sigaction g_previous {};

extern "C" void OnInterrupt(int) {
    g_interrupted.store(true);
}

class CInterruptFlag : public CTerminable {
public:
    bool IsTerminating() const override { return g_interrupted.load(); }
};

const CInterruptFlag g_flag;

} // namespace

CInterruptGuard::CInterruptGuard() {
    g_interrupted.store(false);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the second Ctrl-C takes the default action and ends the process. No
    // SA_RESTART: a read waiting for the overwrite answer returns, so Ctrl-C ends it too.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, &g_previous);
}

CInterruptGuard::~CInterruptGuard() {
    sigaction(SIGINT, &g_previous, nullptr);
}

const CTerminable& CInterruptGuard::Terminator() const {
    return g_flag;
}

} // namespace cli
