// The arguments of morvane-cli: `[--set NAME=VALUE]... [--jobs N] [--overwrite] [--quiet]
// PROJECT`, plus --help and --version, and `--check [--json]` to list the differences of START
// and END, and `--frame K --output FILE.png` to render one frame. Parsing only splits and checks
// the words; the values of --set are read against the task setting later.
#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace cli {

// A command line that cannot be run as written (exit status 2).
class CUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct COptions {
    std::vector<std::pair<std::string, std::string>> m_sets; // NAME, VALUE in command-line order
    bool m_overwrite = false;
    bool m_quiet = false;
    bool m_help = false;
    bool m_version = false;
    int m_jobs = 0;       // threads that make frames at once; 0: every hardware thread
    bool m_check = false; // only read and pair START and END, listing every difference
    bool m_json = false;  // the list as JSON (with --check only)
    int m_frame = 0;      // with --output: render only this output frame (1 = the first)
    std::string m_output; // the PNG file of --frame
    std::string m_project;
};

// The largest thread count --jobs takes.
constexpr int kMaxJobs = 256;

// The words after the program name. --help and --version need no PROJECT; "--" ends the
// options so that a project whose name starts with "-" can be named. Raises CUsageError.
COptions ParseCommandLine(const std::vector<std::string>& args);

// The --help text.
std::string UsageText();
// The line that follows a usage error.
std::string UsageHint();

} // namespace cli
