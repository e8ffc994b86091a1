#include "cli/batch_run.h"

#include "cli/check_report.h"
#include "cli/cli_text.h"
#include "cli/command_line.h"
#include "cli/frame_export.h"
#include "cli/progress_line.h"
#include "cli/task_override.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "settings/project_file.h"

#include <chrono>
#include <filesystem>
#include <future>
#include <istream>
#include <ostream>
#include <thread>

#ifndef MORVANE_VERSION
#define MORVANE_VERSION "0"
#endif

namespace cli {

namespace {

constexpr std::chrono::milliseconds kPollInterval{100};

// The outputs that already exist as files.
std::vector<std::string> ExistingFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> existing;
    for (const std::string& path : paths) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) {
            existing.push_back(path);
        }
    }
    return existing;
}

std::string PathLines(const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths) {
        text += path + "\n";
    }
    return text;
}

bool IsYes(std::string answer) {
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ')) {
        answer.pop_back();
    }
    // The English answers in any language, and the Japanese word for yes.
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" ||
           answer == "YES" || answer == my::MessageText(IDS_CLI_ANSWER_YES, my::Language::Japanese);
}

// True when the run may write over `existing`.
bool SettleOverwrite(const std::vector<std::string>& existing, bool overwrite, CConsole& console) {
    if (existing.empty() || overwrite) {
        return true;
    }
    const std::string count = std::to_string(existing.size());
    const bool one = existing.size() == 1;
    if (console.m_interactive) {
        const std::string question =
            one ? my::FormatMessage(IDS_CONFIRM_OVERWRITE_FILE, std::vector{PathLines(existing)})
                : my::FormatMessage(IDS_CONFIRM_OVERWRITE_FILES,
                                    std::vector{count, PathLines(existing)});
        console.m_err << question << Say(IDS_CLI_YES_NO) << std::flush;
        std::string answer;
        return std::getline(console.m_in, answer) && IsYes(answer);
    }
    console.m_err << (one ? Say(IDS_CLI_OVERWRITE_REFUSED_ONE)
                          : Say(IDS_CLI_OVERWRITE_REFUSED, count))
                  << PathLines(existing);
    return false;
}

// Runs the job on a worker thread and polls it like the form's timer does; the progress line
// is redrawn on each poll when it is wanted.
void RunWithProgress(CBatchJob& job, const CTerminable& terminator, CConsole& console,
                     bool showProgress) {
    const auto start = std::chrono::steady_clock::now();
    std::future<void> done =
        std::async(std::launch::async, [&job, &terminator] { job.Run(&terminator); });
    auto draw = [&] {
        const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        console.m_err << "\r" << FormatProgress(job.GetProgressPos(), job.GetProgressMax(), elapsed)
                      << "\x1b[K" << std::flush;
    };
    while (done.wait_for(kPollInterval) != std::future_status::ready) {
        if (showProgress) {
            draw();
        }
    }
    if (showProgress) {
        draw();
        console.m_err << "\n" << std::flush;
    }
    done.get();
}

int Fail(CConsole& console, const std::string& text, int status) {
    console.m_err << text << "\n";
    return status;
}

} // namespace

std::string VersionText() {
    return std::string("morvane-cli ") + MORVANE_VERSION;
}

int RunBatch(const std::vector<std::string>& args, const CJobFactory& makeJob, CConsole& console,
             const CTerminable& terminator, const std::string& currentFolder) {
    COptions options;
    mrv::CTaskSetting task;
    try {
        options = ParseCommandLine(args);
        if (options.m_help) {
            console.m_out << UsageText();
            return kExitOk;
        }
        if (options.m_version) {
            console.m_out << VersionText() << "\n";
            return kExitOk;
        }
    } catch (const CUsageError& e) {
        return Fail(console, std::string(e.what()) + "\n" + UsageHint(), kExitUsage);
    }

    CSimpleErr err;
    if (!LoadProject(options.m_project, task, err)) {
        return Fail(console, err.m_text, kExitFailed);
    }
    try {
        for (const auto& [name, value] : options.m_sets) {
            ApplyOverride(task, name, value, currentFolder);
        }
    } catch (const CUsageError& e) {
        return Fail(console, e.what(), kExitUsage);
    }
    if (options.m_check) {
        return RunCheck(task, options.m_json, console, terminator);
    }

    const bool oneFrame = options.m_frame > 0;
    std::unique_ptr<CBatchJob> job;
    std::vector<std::string> existing;
    try {
        task.ValidateForGenerate();
        if (oneFrame) {
            existing = ExistingFiles({options.m_output});
        } else {
            job = makeJob(task, options.m_jobs);
            existing = ExistingFiles(job->ListOutputPaths());
        }
    } catch (const my::CException& e) {
        return Fail(console, e.m_text, kExitFailed);
    }
    if (!SettleOverwrite(existing, options.m_overwrite, console)) {
        // Ctrl-C at the question interrupts the read; it ends the command as an interruption.
        if (terminator.IsTerminating()) {
            console.m_err << "\n";
            return kExitInterrupted;
        }
        return kExitNotOverwritten;
    }
    if (oneFrame) {
        return ExportFrame(task, options.m_frame, options.m_output, options.m_quiet, console,
                           terminator);
    }

    RunWithProgress(*job, terminator, console, console.m_errIsTerminal && !options.m_quiet);
    const CSimpleErr result = job->GetErr();
    if (result.HasError()) {
        // A stop that the task noticed is reported with its own message ("interrupted").
        return Fail(console, result.m_text,
                    terminator.IsTerminating() ? kExitInterrupted : kExitFailed);
    }
    if (!options.m_quiet) {
        console.m_out << PathLines(job->ListOutputPaths()) << std::flush;
    }
    return kExitOk;
}

} // namespace cli
