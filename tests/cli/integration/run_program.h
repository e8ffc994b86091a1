// Runs a program for the integration tests: stdin from /dev/null, stdout and stderr captured,
// optionally sent a signal while it runs.
#pragma once

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace clitest {

struct CResult {
    int m_status = -1; // exit status, or 128 + signal when killed by one
    std::string m_out;
    std::string m_err;
    bool m_signalled = false; // the signal of the plan was sent
};

// When to send the program a signal: once m_ready answers true (asked every millisecond while
// the program runs), else after m_after; neither given sends nothing.
struct CSignalPlan {
    int m_signal = SIGINT;
    std::chrono::milliseconds m_after{0};
    std::function<bool()> m_ready;
};

// argv[0] is the program's path; `scratch` is a folder for the captured outputs.
CResult Execute(const std::vector<std::string>& argv, const std::filesystem::path& scratch,
                const CSignalPlan& plan);
// SIGINT after interruptAfter (none when it is 0).
CResult Execute(const std::vector<std::string>& argv, const std::filesystem::path& scratch,
                std::chrono::milliseconds interruptAfter = std::chrono::milliseconds(0));

std::string ReadAll(const std::filesystem::path& path);

} // namespace clitest
