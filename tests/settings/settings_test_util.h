// Helpers of the settings tests: whole-file reading and writing, and a switch of the message
// language for one scope.
#pragma once

#include "common/messages.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace settings_test {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

// True when every tag occurs in text, each after the one before.
inline ::testing::AssertionResult InOrder(const std::string& text,
                                          std::initializer_list<const char*> tags) {
    std::size_t last = 0;
    for (const char* tag : tags) {
        const std::size_t at = text.find(tag, last);
        if (at == std::string::npos) {
            return ::testing::AssertionFailure() << tag << " missing or out of order";
        }
        last = at + 1;
    }
    return ::testing::AssertionSuccess();
}

class CLanguageGuard {
public:
    explicit CLanguageGuard(my::Language language) : m_saved(my::MessageLanguage()) {
        my::SetMessageLanguage(language);
    }
    ~CLanguageGuard() { my::SetMessageLanguage(m_saved); }

private:
    my::Language m_saved;
};

} // namespace settings_test
