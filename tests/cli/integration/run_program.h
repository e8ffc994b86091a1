// Runs a program for the integration tests: stdin from /dev/null, stdout and stderr captured,
// optionally interrupted with SIGINT after a while.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace clitest {

struct CResult {
    int m_status = -1; // exit status, or 128 + signal when killed by one
    std::string m_out;
    std::string m_err;
};

// argv[0] is the program's path; `scratch` is a folder for the captured outputs.
CResult Execute(const std::vector<std::string>& argv, const std::filesystem::path& scratch,
                std::chrono::milliseconds interruptAfter = std::chrono::milliseconds(0));

std::string ReadAll(const std::filesystem::path& path);

} // namespace clitest
