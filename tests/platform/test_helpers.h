// Helpers shared by the platform tests: the failure a call raises, profiles opened from bytes,
// and a temporary folder that is removed with the test.
#pragma once

#include "common/error.h"
#include "platform/color_profile.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace morvane::test {

// The error record a call raises; an empty one (ID 0) when it returns.
template <class F> CSimpleErr FailureOf(F&& f) {
    try {
        f();
    } catch (const my::CException& e) {
        return e;
    }
    return {};
}

// The message ID a call raises, or 0.
template <class F> std::uint32_t FailureId(F&& f) {
    return std::uint32_t(FailureOf(std::forward<F>(f)).m_id);
}

inline CColorProfile OpenProfile(std::vector<std::uint8_t> bytes) {
    CColorProfile profile;
    profile.LoadFromMemory(std::move(bytes));
    return profile;
}

// A fresh folder under the system's temporary folder, named after the running test.
class TempFolder {
public:
    TempFolder() {
        static std::atomic<int> serial{0};
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        m_path = std::filesystem::temp_directory_path() /
                 ("morvane-" + std::to_string(::getpid()) + "-" + std::to_string(serial++) + "-" +
                  (test != nullptr ? test->name() : "test"));
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    // Writes a file (its folder must exist) and returns its path.
    std::string Write(const std::filesystem::path& relative,
                      const std::vector<std::uint8_t>& bytes) const {
        const std::filesystem::path path = m_path / relative;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path.string();
    }

private:
    std::filesystem::path m_path;
};

} // namespace morvane::test
