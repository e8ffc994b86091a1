#include "thumbnail/limits.h"

#include "common/message_ids.h"
#include "common/messages.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MORVANE_THUMBNAIL_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define MORVANE_THUMBNAIL_SANITIZED 1
#endif
#endif

namespace thumb {

namespace {

// The messages the signal handlers write, formatted before the handlers are installed: a
// handler may only call async-signal-safe functions.
struct CLimitMessage {
    char m_text[512] = {};
    std::size_t m_size = 0;

    void Set(const std::string& text) {
        m_size = std::min(text.size(), sizeof m_text);
        std::memcpy(m_text, text.data(), m_size);
    }
};

CLimitMessage g_cpuMessage;
CLimitMessage g_wallMessage;
std::uint64_t g_addressSpace = 0;

extern "C" void OnLimit(int signal) {
    const CLimitMessage& message = signal == SIGXCPU ? g_cpuMessage : g_wallMessage;
    ssize_t ignored = ::write(STDERR_FILENO, message.m_text, message.m_size);
    (void)ignored;
    ::_exit(1);
}

std::string LimitText(std::uint32_t id, unsigned seconds) {
    return "morvane-thumbnail: " + my::FormatMessage(id, std::array{std::to_string(seconds)}) +
           "\n";
}

// Lowers a limit to value, soft and hard; a lower existing limit stays.
void Lower(int resource, rlim_t soft, rlim_t hard) {
    rlimit current{};
    if (::getrlimit(resource, &current) != 0) {
        return;
    }
    rlimit wanted{std::min(soft, current.rlim_cur), std::min(hard, current.rlim_max)};
    wanted.rlim_cur = std::min(wanted.rlim_cur, wanted.rlim_max);
    ::setrlimit(resource, &wanted);
}

} // namespace

CLimits ProgramLimits() {
    CLimits limits;
#ifdef MORVANE_THUMBNAIL_SANITIZED
    limits.m_cpuSeconds *= 10;
    limits.m_wallSeconds *= 10;
    limits.m_addressSpace = 0;
#endif
    return limits;
}

void ApplyLimits(const CLimits& limits) {
    g_cpuMessage.Set(LimitText(IDS_THUMBNAIL_CPU_LIMIT, limits.m_cpuSeconds));
    g_wallMessage.Set(LimitText(IDS_THUMBNAIL_TIME_LIMIT, limits.m_wallSeconds));

    struct sigaction action {};
    action.sa_handler = OnLimit;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGXCPU, &action, nullptr);
    ::sigaction(SIGALRM, &action, nullptr);

    if (limits.m_cpuSeconds != 0) {
        // SIGXCPU at the soft limit; the hard limit one second later kills outright.
        Lower(RLIMIT_CPU, limits.m_cpuSeconds, limits.m_cpuSeconds + 1);
    }
    if (limits.m_wallSeconds != 0) {
        ::alarm(limits.m_wallSeconds);
    }
    if (limits.m_addressSpace != 0) {
        Lower(RLIMIT_AS, limits.m_addressSpace, limits.m_addressSpace);
        rlimit applied{};
        if (::getrlimit(RLIMIT_AS, &applied) == 0 && applied.rlim_cur != RLIM_INFINITY) {
            g_addressSpace = applied.rlim_cur;
        }
    }
}

std::uint64_t AppliedAddressSpaceLimit() {
    return g_addressSpace;
}

} // namespace thumb
