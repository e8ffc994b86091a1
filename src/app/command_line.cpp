#include "app/command_line.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>

#ifndef MORVANE_VERSION
#define MORVANE_VERSION "0"
#endif

namespace mrv {

std::vector<std::string> CCommandLineParserUtil::Split(std::string_view line) {
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    char quote = 0;
    for (char c : line) {
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else {
                current += c;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
            inArgument = true;
        } else if (c == ' ' || c == '\t') {
            if (inArgument) {
                arguments.push_back(std::move(current));
                current.clear();
                inArgument = false;
            }
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) {
        arguments.push_back(std::move(current));
    }
    return arguments;
}

std::string CCommandLineParserUtil::Join(int argc, const char* const* argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const char quote = arg.find('"') != std::string::npos ? '\'' : '"';
        if (i > 0) {
            line += ' ';
        }
        line += quote + arg + quote;
    }
    return line;
}

void CSimpleCommandLineParser::Parse(std::string_view line) {
    m_arguments = Split(line);
    Check();
}

void CSingleCommandLineParser::Check() {
    m_fileName.clear();
    if (m_arguments.size() < 2) {
        return;
    }
    if (m_arguments.size() == 2) {
        m_fileName = m_arguments[1];
        return;
    }
    std::string list;
    for (std::size_t i = 1; i < m_arguments.size(); ++i) {
        list += m_arguments[i] + "\r\n";
    }
    throw my::CException(IDS_TOO_MANY_ARGUMENTS, m_arguments.size() - 1, list);
}

EarlyAction EarlyActionOf(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") {
            break;
        }
        if (arg == "--help" || arg == "-h") {
            return EarlyAction::Help;
        }
        if (arg == "--version") {
            return EarlyAction::Version;
        }
    }
    return EarlyAction::Run;
}

std::string DesktopUsageText(const std::string& helpPage) {
    const std::string where =
        helpPage.empty() ? std::string(my::MessageText(IDS_HELP_PAGES_MISSING)) : helpPage;
    return my::FormatMessage(IDS_DESKTOP_USAGE, std::array{where});
}

std::string DesktopVersionText() {
    return std::string("morvane ") + MORVANE_VERSION;
}

bool IsStrokeDrawing(const std::string& path) {
    constexpr std::string_view magic = "stroke";
    std::array<char, magic.size()> head{};
    // Only a regular file is read: a pipe would block the start-up.
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) {
        std::ifstream in(path, std::ios::binary);
        if (in.read(head.data(), head.size())) {
            return std::string_view(head.data(), head.size()) == magic;
        }
    }
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".strk";
}

} // namespace mrv
