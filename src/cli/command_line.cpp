#include "cli/command_line.h"

#include "cli/cli_text.h"

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

// The N of --jobs N: a whole number from 1 to kMaxJobs.
int ParseJobs(std::string_view word) {
    int jobs = 0;
    bool valid = !word.empty() && word.size() <= 3;
    for (const char c : word) {
        valid = valid && c >= '0' && c <= '9';
        jobs = valid ? jobs * 10 + (c - '0') : 0;
    }
    if (!valid || jobs < 1 || jobs > kMaxJobs) {
        throw CUsageError(Say(IDS_CLI_JOBS_INVALID, kMaxJobs, std::string(word)));
    }
    return jobs;
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
    return Say(IDS_CLI_USAGE);
}

std::string UsageHint() {
    return Say(IDS_CLI_USAGE_HINT);
}

} // namespace cli
