// How many file descriptors the process holds: a test counts them before and after a failing
// read or write to show that the failure closed what it opened.
#pragma once

#include <cstddef>
#include <filesystem>

namespace morvane::test {

// The entries of /proc/self/fd (the descriptor of the listing itself included, which is the
// same for every count).
inline std::size_t OpenDescriptorCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

} // namespace morvane::test
