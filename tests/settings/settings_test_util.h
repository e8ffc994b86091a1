// Helpers of the settings tests: a temporary folder removed afterwards, whole-file reading and
// writing, and a switch of the message language for one scope.
#pragma once

#include "common/messages.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

namespace settings_test {

class CTempFolder {
public:
    CTempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "morvane-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            throw std::runtime_error("mkdtemp failed");
        }
        // Canonical, so that the paths built from it carry no link or "..".
        m_path = std::filesystem::canonical(pattern).string();
    }
    ~CTempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

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
