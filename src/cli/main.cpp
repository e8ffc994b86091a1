// morvane-cli: generates the animation of a project file without the window, for scripts and
// builds. The generation task is driven through the batch command's job interface.
#include "cli/batch_run.h"
#include "cli/interrupt.h"
#include "engine/task.h"

#include <boost/make_shared.hpp>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace {

class CTaskJob : public cli::CBatchJob {
public:
    CTaskJob(const mrv::CTaskSetting& setting, int jobs)
        : m_task(boost::make_shared<mrv::CTask>()) {
        m_task->Configure(setting);
        m_task->SetThreadCount(jobs);
    }
    std::vector<std::string> ListOutputPaths() const override { return m_task->ListOutputPaths(); }
    void Run(const CTerminable* terminator) override { m_task->Run(terminator); }
    int GetProgressPos() const override { return m_task->GetProgressPos(); }
    int GetProgressMax() const override { return m_task->GetProgressMax(); }
    CSimpleErr GetErr() const override { return m_task->GetErr(); }

private:
    boost::shared_ptr<mrv::CTask> m_task;
};

std::string CurrentFolder() {
    std::error_code ec;
    const std::filesystem::path current = std::filesystem::current_path(ec);
    return ec ? std::string() : current.string();
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Under a file-size limit (ulimit -f) a write that goes beyond it fails with its own
    // message and the run removes what it wrote; the default action would kill the program
    // and leave the temporary files.
    std::signal(SIGXFSZ, SIG_IGN);
    const cli::CInterruptGuard interrupt;
    cli::CConsole console{std::cin, std::cout, std::cerr,
                          isatty(STDIN_FILENO) == 1 && isatty(STDERR_FILENO) == 1,
                          isatty(STDERR_FILENO) == 1};
    const cli::CJobFactory makeJob = [](const mrv::CTaskSetting& setting, int jobs) {
        return std::unique_ptr<cli::CBatchJob>(std::make_unique<CTaskJob>(setting, jobs));
    };
    try {
        const int status =
            cli::RunBatch(args, makeJob, console, interrupt.Terminator(), CurrentFolder());
        // A stop is reported as the signal that asked for it: 130 Ctrl-C, 143 SIGTERM, 129 SIGHUP.
        return status == cli::kExitInterrupted ? interrupt.ExitStatus() : status;
    } catch (const std::exception& e) {
        // Only a fault of the program itself gets here (out of memory, a broken invariant).
        std::cerr << e.what() << "\n";
        return cli::kExitFailed;
    }
}
