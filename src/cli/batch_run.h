// One run of the batch command from its words to its exit status: read the project, apply the
// --set overrides, check the settings as the Generate command does, settle existing output
// files, run the generation with a progress line and report the outcome. With --check, only
// START and END are read and paired, and every difference is listed (check_report.h); with
// --frame, one frame is rendered into a PNG file (frame_export.h).
#pragma once

#include "common/error.h"
#include "common/terminable.h"
#include "engine/task_setting.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace cli {

enum ExitStatus : int {
    kExitOk = 0,
    kExitFailed = 1,
    kExitUsage = 2,
    kExitNotOverwritten = 4,
    kExitInterrupted = 130, // stopped by Ctrl-C; the program reports 128 + the signal it got
};

// The generation as the batch command drives it: a configured task seen through the calls
// the command needs (the generation task in the program, a scripted one in tests).
class CBatchJob {
public:
    virtual ~CBatchJob() = default;
    // Every path the run will write.
    virtual std::vector<std::string> ListOutputPaths() const = 0;
    // The whole generation; failures end up in GetErr(), never thrown.
    virtual void Run(const CTerminable* terminator) = 0;
    virtual int GetProgressPos() const = 0;
    virtual int GetProgressMax() const = 0;
    virtual CSimpleErr GetErr() const = 0;
};

// Makes the job for checked settings and a thread count (0: every hardware thread); may raise
// my::CException (a saver that cannot be made).
using CJobFactory = std::function<std::unique_ptr<CBatchJob>(const mrv::CTaskSetting&, int jobs)>;

// Where the command reads answers and writes its output.
struct CConsole {
    std::istream& m_in;
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_interactive = false;   // stdin and stderr are terminals: questions can be asked
    bool m_errIsTerminal = false; // a progress line can be redrawn on stderr
};

// Runs the command for `args` (the words after the program name). `terminator` reports
// Ctrl-C and the other stop signals; `currentFolder` resolves relative paths given with --set.
int RunBatch(const std::vector<std::string>& args, const CJobFactory& makeJob, CConsole& console,
             const CTerminable& terminator, const std::string& currentFolder);

// The version line of --version.
std::string VersionText();

} // namespace cli
