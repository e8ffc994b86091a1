#include "cli/command_line.h"

#include "cli/cli_text.h"
#include "common/message_ids.h"

#include <string_view>

namespace cli {

namespace {

// NAME=VALUE; the name must not be empty, the value may be (an empty DstName or path).
std::pair<std::string, std::string> SplitAssignment(std::string_view word) {
    const std::size_t eq = word.find('=');
    if (eq == std::string_view::npos || eq == 0) {
        throw CUsageError(Say(IDS_CLI_SET_EXPECTS_ASSIGNMENT, std::string(word)));
    }
    return {std::string(word.substr(0, eq)), std::string(word.substr(eq + 1))};
}

// A word of at most `digits` decimal digits as a number; -1 for anything else.
int WholeNumber(std::string_view word, std::size_t digits) {
    if (word.empty() || word.size() > digits) {
        return -1;
    }
    int number = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') {
            return -1;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

// The N of --jobs N: a whole number from 1 to kMaxJobs.
int ParseJobs(std::string_view word) {
    const int jobs = WholeNumber(word, 3);
    if (jobs < 1 || jobs > kMaxJobs) {
        throw CUsageError(Say(IDS_CLI_JOBS_INVALID, kMaxJobs, std::string(word)));
    }
    return jobs;
}

// The K of --frame K: an output frame number from 1 on.
int ParseFrame(std::string_view word) {
    const int frame = WholeNumber(word, 9);
    if (frame < 1) {
        throw CUsageError(my::FormatMessage(IDS_CLI_FRAME_INVALID, std::vector{std::string(word)}));
    }
    return frame;
}

// The word after an option that needs one.
const std::string& ValueOf(const std::vector<std::string>& args, std::size_t& i,
                           std::uint32_t missing) {
    if (i + 1 == args.size()) {
        throw CUsageError(std::string(my::MessageText(missing)));
    }
    return args[++i];
}

} // namespace

COptions ParseCommandLine(const std::vector<std::string>& args) {
    COptions options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (optionsEnded || word.empty() || word[0] != '-' || word == "-") {
            positional.push_back(word);
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word == "--set") {
            if (i + 1 == args.size()) {
                throw CUsageError(Say(IDS_CLI_SET_MISSING));
            }
            options.m_sets.push_back(SplitAssignment(args[++i]));
        } else if (word.starts_with("--set=")) {
            options.m_sets.push_back(SplitAssignment(std::string_view(word).substr(6)));
        } else if (word == "--jobs" || word == "-j") {
            if (i + 1 == args.size()) {
                throw CUsageError(Say(IDS_CLI_JOBS_MISSING, word));
            }
            options.m_jobs = ParseJobs(args[++i]);
        } else if (word.starts_with("--jobs=")) {
            options.m_jobs = ParseJobs(std::string_view(word).substr(7));
        } else if (word.starts_with("-j")) {
            options.m_jobs = ParseJobs(std::string_view(word).substr(2));
        } else if (word == "--overwrite") {
            options.m_overwrite = true;
        } else if (word == "--quiet" || word == "-q") {
            options.m_quiet = true;
        } else if (word == "--help" || word == "-h") {
            options.m_help = true;
        } else if (word == "--version") {
            options.m_version = true;
        } else if (word == "--check") {
            options.m_check = true;
        } else if (word == "--json") {
            options.m_json = true;
        } else if (word == "--frame") {
            options.m_frame = ParseFrame(ValueOf(args, i, IDS_CLI_FRAME_MISSING));
        } else if (word.starts_with("--frame=")) {
            options.m_frame = ParseFrame(std::string_view(word).substr(8));
        } else if (word == "--output") {
            options.m_output = ValueOf(args, i, IDS_CLI_OUTPUT_MISSING);
        } else if (word.starts_with("--output=")) {
            options.m_output = word.substr(9);
        } else {
            throw CUsageError(Say(IDS_CLI_UNKNOWN_OPTION, word));
        }
    }
    if (options.m_help || options.m_version) {
        return options;
    }
    if (options.m_json && !options.m_check) {
        throw CUsageError(Say(IDS_CLI_JSON_WITHOUT_CHECK));
    }
    if ((options.m_frame > 0) != !options.m_output.empty()) {
        throw CUsageError(Say(IDS_CLI_FRAME_NEEDS_OUTPUT));
    }
    if (options.m_frame > 0 && options.m_check) {
        throw CUsageError(Say(IDS_CLI_FRAME_WITH_CHECK));
    }
    if (positional.empty()) {
        throw CUsageError(Say(IDS_CLI_NO_PROJECT));
    }
    if (positional.size() > 1) {
        std::string list;
        for (const std::string& p : positional) {
            list += "\n  " + p;
        }
        throw CUsageError(Say(IDS_CLI_SEVERAL_PROJECTS, list));
    }
    options.m_project = positional.front();
    return options;
}

std::string UsageText() {
    return Say(IDS_CLI_USAGE) + "\n" + Say(IDS_CLI_FRAME_USAGE) + "\n";
}

std::string UsageHint() {
    return Say(IDS_CLI_USAGE_HINT);
}

} // namespace cli
