// The application's command line: split into arguments (spaces and tabs separate, double and
// single quotes group) and checked for the one optional file name; --help and --version, which
// are answered before any window exists.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mrv {

// Splitting of one command-line string into arguments.
class CCommandLineParserUtil {
public:
    static std::vector<std::string> Split(std::string_view line);
    // The whole command line from argv, each argument quoted so that Split gives it back
    // (double quotes, or single quotes for an argument that holds a double quote).
    static std::string Join(int argc, const char* const* argv);
};

class CSimpleCommandLineParser : public CCommandLineParserUtil {
public:
    virtual ~CSimpleCommandLineParser() = default;
    // Splits the line into the argument list, then checks it.
    virtual void Parse(std::string_view line);
    virtual void Check() {}

    const std::vector<std::string>& GetArguments() const { return m_arguments; }

protected:
    std::vector<std::string> m_arguments; // the first is the program path
};

// Accepts at most one argument after the program path: the project file to open.
class CSingleCommandLineParser : public CSimpleCommandLineParser {
public:
    // More than one file raises IDS_TOO_MANY_ARGUMENTS with the count and the arguments, one per
    // line.
    void Check() override;
    // The file name; empty when none was given.
    const std::string& GetFileName() const { return m_fileName; }

private:
    std::string m_fileName;
};

// What the desktop program does before it makes its window.
enum class EarlyAction { Run, Help, Version };
// --help (or -h) and --version among the arguments before a "--"; otherwise the window runs.
EarlyAction EarlyActionOf(int argc, const char* const* argv);
// The --help text; helpPage is where the help pages were found (empty: not installed).
std::string DesktopUsageText(const std::string& helpPage);
// The --version line.
std::string DesktopVersionText();

// Whether the file named on the command line is a stroke drawing (it starts with the bytes
// "stroke", or cannot be read and is named *.strk) rather than a project.
bool IsStrokeDrawing(const std::string& path);

} // namespace mrv
