// End to end: morvane-cli on the morph example fitted to 1920 x 1080, as a user runs it. For
// 100 and 400 output frames, animated GIF and APNG, on one thread and on two, it reports the
// wall time, the CPU time and the peak resident memory of the child (getrusage through wait4;
// on a machine busy with other work, compare CPU time with wall time), then checks
// the aims: two threads take at most 0.6 of the time of one; 400 frames need at most 1.1 times
// the memory of 100 and at most 250 MiB. Each of these cases runs three times and counts with
// the median of each measure. A mirrored return trip (replayed frames) and a run of 999
// in-between frames (2000 frames) follow, once each. --quick runs the 100-frame cases once and
// leaves out the 400-frame and 999-frame runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Runs of each plain case; the table gives the median of each measure.
constexpr int kRepeats = 3;

struct CRun {
    double m_seconds = 0.0;
    double m_cpuSeconds = 0.0; // user + system time of the child, all its threads
    double m_rssMiB = 0.0;
    int m_status = -1;
};

// One run of morvane-cli with the arguments after its own options, its output in folder.
CRun RunCli(const std::vector<std::string>& args, const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::vector<std::string> argv = {MORVANE_CLI, "--quiet", "--overwrite", "--set",
                                     "DstFolder=" + folder.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(EXAMPLES_DIR "/morph.mrva");

    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        std::vector<char*> raw;
        for (const std::string& a : argv) {
            raw.push_back(const_cast<char*>(a.c_str()));
        }
        raw.push_back(nullptr);
        execv(raw[0], raw.data());
        _exit(127);
    }
    CRun run;
    if (pid < 0) {
        return run;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.m_seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    run.m_cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.m_rssMiB = double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    run.m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    fs::remove_all(folder);
    return run;
}

// The median of each measure over `repeats` runs (at least 1): the peak memory of a run on two
// threads depends on how their allocations interleave, and varies by some 10 % from one run to
// the next, as much as the growth the aim is there to catch. A failing run's status is kept.
CRun MedianRun(const std::vector<std::string>& args, const fs::path& folder, int repeats) {
    std::vector<CRun> runs;
    for (int r = 0; r < std::max(repeats, 1); ++r) {
        runs.push_back(RunCli(args, folder));
    }
    const auto median = [&runs](double CRun::*measure) {
        std::vector<double> values;
        for (const CRun& run : runs) {
            values.push_back(run.*measure);
        }
        std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(values.size() / 2),
                         values.end());
        return values[values.size() / 2];
    };
    CRun result;
    result.m_seconds = median(&CRun::m_seconds);
    result.m_cpuSeconds = median(&CRun::m_cpuSeconds);
    result.m_rssMiB = median(&CRun::m_rssMiB);
    result.m_status = 0;
    for (const CRun& run : runs) {
        if (run.m_status != 0) {
            result.m_status = run.m_status;
        }
    }
    return result;
}

// The settings of every run: the example fitted to 1920 x 1080 with its changed regions.
std::vector<std::string> Settings(const std::string& format, int interFrames, int jobs) {
    return {"--jobs", std::to_string(jobs),
            "--set",  "DstFormat=" + format,
            "--set",  "Flags=AutoTrimFrames|BkColor|Resize|KeepProportion",
            "--set",  "Width=1920",
            "--set",  "Height=1080",
            "--set",  "InterFrameCount=" + std::to_string(interFrames)};
}

void PrintRow(const char* what, const std::string& format, int frames, int jobs, const CRun& run) {
    std::printf("| %-8s | %-4s | %6d | %4d | %8.1f | %8.1f | %8.1f | %s\n", what, format.c_str(),
                frames, jobs, run.m_seconds, run.m_cpuSeconds, run.m_rssMiB,
                run.m_status == 0 ? "" : ("exit " + std::to_string(run.m_status)).c_str());
    std::fflush(stdout);
}

const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

} // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
    const int repeats = quick ? 1 : kRepeats;
    const fs::path folder = fs::temp_directory_path() / ("morvane-e2e-" + std::to_string(getpid()));
    std::printf("morvane-cli on morph at 1920 x 1080 (%s); plain: median of %d run(s)\n\n",
                MORVANE_CLI, repeats);
    std::printf("| run      | fmt  | frames | jobs |   wall s |    CPU s |  RSS MiB |\n");
    std::printf("|----------|------|--------|------|----------|----------|----------|\n");

    // The example goes there and back again: 2n + 2 frames for n in-between frames.
    std::vector<int> counts = {100};
    if (!quick) {
        counts.push_back(400);
    }
    std::map<std::tuple<std::string, int, int>, CRun> runs;
    bool failed = false;
    for (const std::string format : {"AGIF", "APNG"}) {
        for (const int frames : counts) {
            for (const int jobs : {1, 2}) {
                const CRun run = MedianRun(Settings(format, frames / 2 - 1, jobs), folder, repeats);
                runs[{format, frames, jobs}] = run;
                failed = failed || run.m_status != 0;
                PrintRow("plain", format, frames, jobs, run);
            }
        }
    }
    // Every property comes back: the outward trip is played backwards, its frames made again.
    std::vector<std::string> mirrored = Settings("AGIF", 49, 2);
    mirrored.insert(mirrored.end(), {"--set",
                                     "RoundFlags=ReverseColor|ReverseAlpha|ReverseAngle|"
                                     "ReverseRate|ReverseOffset",
                                     "--set", "InterpolateType=LineLiner"});
    const CRun mirror = RunCli(mirrored, folder);
    failed = failed || mirror.m_status != 0;
    PrintRow("mirrored", "AGIF", 100, 2, mirror);
    if (!quick) {
        const CRun longest = RunCli(Settings("APNG", 999, 2), folder);
        failed = failed || longest.m_status != 0;
        PrintRow("n = 999", "APNG", 2000, 2, longest);
    }

    std::printf("\n");
    for (const std::string format : {"AGIF", "APNG"}) {
        for (const int frames : counts) {
            const double ratio =
                runs[{format, frames, 2}].m_seconds / runs[{format, frames, 1}].m_seconds;
            std::printf("%s, %d frames: wall time jobs 2 / jobs 1 = %.2f (aim <= 0.60: %s)\n",
                        format.c_str(), frames, ratio, Verdict(ratio <= 0.6));
        }
        if (!quick) {
            const double grow = runs[{format, 400, 2}].m_rssMiB / runs[{format, 100, 2}].m_rssMiB;
            const double peak = runs[{format, 400, 2}].m_rssMiB;
            std::printf("%s, jobs 2: RSS 400 / 100 frames = %.2f (aim <= 1.10: %s), "
                        "%.0f MiB (aim <= 250: %s)\n",
                        format.c_str(), grow, Verdict(grow <= 1.1), peak, Verdict(peak <= 250));
        }
    }
    return failed ? 1 : 0;
}
