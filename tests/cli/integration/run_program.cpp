#include "run_program.h"

#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace clitest {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

CResult Execute(const std::vector<std::string>& argv, const fs::path& scratch,
                const CSignalPlan& plan) {
    const fs::path out = scratch / "stdout.txt";
    const fs::path err = scratch / "stderr.txt";
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(o, 1);
        dup2(e, 2);
        std::vector<char*> args;
        for (const std::string& a : argv) {
            args.push_back(const_cast<char*>(a.c_str()));
        }
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    CResult result;
    int status = 0;
    bool ended = false;
    if (plan.m_ready) {
        while (!ended) {
            ended = waitpid(pid, &status, WNOHANG) == pid;
            if (!ended && plan.m_ready()) {
                kill(pid, plan.m_signal);
                result.m_signalled = true;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    } else if (plan.m_after.count() > 0) {
        std::this_thread::sleep_for(plan.m_after);
        kill(pid, plan.m_signal);
        result.m_signalled = true;
    }
    if (!ended) {
        waitpid(pid, &status, 0);
    }
    result.m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.m_out = ReadAll(out);
    result.m_err = ReadAll(err);
    return result;
}

CResult Execute(const std::vector<std::string>& argv, const fs::path& scratch,
                std::chrono::milliseconds interruptAfter) {
    CSignalPlan plan;
    plan.m_after = interruptAfter;
    return Execute(argv, scratch, plan);
}

} // namespace clitest
