#include "app/command_line.h"

#include "common/error.h"
#include "common/message_ids.h"

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

} // namespace mrv
