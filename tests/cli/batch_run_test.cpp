#include "cli/batch_run.h"
#include "common/message_ids.h"
#include "settings/project_file.h"
#include "support/temp_folder.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using mrv::CTaskSetting;

// A job that counts through its steps like the generation task and writes its outputs at the
// end; it stops with the task's interruption text when asked to.
class CScriptedJob : public cli::CBatchJob {
public:
    CScriptedJob(std::vector<std::string> outputs, int steps, CSimpleErr failure)
        : m_outputs(std::move(outputs)), m_steps(steps), m_failure(std::move(failure)) {}

    std::vector<std::string> ListOutputPaths() const override { return m_outputs; }
    void Run(const CTerminable* terminator) override {
        m_max = m_steps;
        for (int i = 0; i < m_steps; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            if (terminator != nullptr && terminator->IsTerminating()) {
                m_err = {kInterruptedId, 0, "interrupted"};
                m_pos = m_max.load();
                return;
            }
            m_pos = i + 1;
        }
        if (m_failure.HasError()) {
            m_err = m_failure;
            return;
        }
        for (const std::string& path : m_outputs) {
            std::ofstream(path) << "new";
        }
    }
    int GetProgressPos() const override { return m_pos; }
    int GetProgressMax() const override { return m_max; }
    CSimpleErr GetErr() const override { return m_err; }

    // Stands for the task's interruption message.
    static constexpr std::int32_t kInterruptedId = 10199;

private:
    std::vector<std::string> m_outputs;
    int m_steps;
    CSimpleErr m_failure;
    CSimpleErr m_err;
    std::atomic<int> m_pos{-1};
    std::atomic<int> m_max{0};
};

class BatchRun : public ::testing::Test {
protected:
    void SetUp() override {
        m_project = (m_folder / "p.mrva").string();
        CTaskSetting task;
        task.SetDstFolder(m_folder.string());
        task.SetDstName("anim");
        Save(task);
    }

    void Save(const CTaskSetting& task) {
        CSimpleErr err;
        ASSERT_TRUE(SaveProject(m_project, task, err)) << err.m_text;
    }

    int Run(std::vector<std::string> args, std::string answer = "") {
        std::istringstream in(answer);
        m_out.str("");
        m_err.str("");
        cli::CConsole console{in, m_out, m_err, m_interactive, m_terminal};
        const cli::CJobFactory factory = [this](const CTaskSetting& task, int jobs) {
            m_made = task;
            m_threads = jobs;
            ++m_jobs;
            std::vector<std::string> outputs;
            for (int i = 0; i < m_outputs; ++i) {
                outputs.push_back(task.GetDstFolder() + "/" + task.GetDstName() +
                                  (i == 0 ? "" : std::to_string(i)) + ".gif");
            }
            return std::make_unique<CScriptedJob>(outputs, m_steps, m_failure);
        };
        return cli::RunBatch(args, factory, console, m_stop, m_folder.string());
    }

    std::string Output() const { return (m_folder / "anim.gif").string(); }
    static std::string Contents(const std::string& path) {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    const morvane::test::CTempFolder m_temp;
    const fs::path& m_folder = m_temp.Path();
    std::string m_project;
    std::ostringstream m_out, m_err;
    bool m_interactive = false;
    bool m_terminal = false;
    int m_steps = 3;
    int m_outputs = 1; // anim.gif, anim1.gif, ...
    CSimpleErr m_failure;
    CTerminateFlag m_stop;
    CTaskSetting m_made;
    int m_jobs = 0;
    int m_threads = -1; // the thread count the last job was made with
};

TEST_F(BatchRun, ProgressLineOnATerminalUnlessQuiet) {
    m_terminal = true;
    m_steps = 8;
    EXPECT_EQ(Run({m_project}), cli::kExitOk);
    const std::string err = m_err.str();
    EXPECT_NE(err.find("\r["), std::string::npos);
    EXPECT_NE(err.find("8/8"), std::string::npos) << "the last line shows the run complete";
    EXPECT_EQ(err.back(), '\n');

    EXPECT_EQ(Run({"--quiet", "--overwrite", m_project}), cli::kExitOk);
    EXPECT_EQ(m_err.str(), "");
}

TEST_F(BatchRun, OverridesApplyBeforeTheGenerateChecks) {
    // The project's value is fine; the override is checked like the form's would be.
    EXPECT_EQ(Run({"--set", "InterFrameCount=1000", m_project}), cli::kExitFailed);
    EXPECT_EQ(m_err.str(), "中間フレーム数が大きすぎます\n999 以下の値を指定してください\n"
                           "中間フレーム数: 1000\n");
    EXPECT_EQ(Run({"--set", "Flags=Resize", "--set", "Width=0", m_project}), cli::kExitFailed);
    EXPECT_EQ(m_err.str(), "幅の値が不正です\n");
    EXPECT_EQ(m_jobs, 0);

    CTaskSetting bad;
    bad.SetFrameRate(0);
    bad.SetDstFolder(m_folder.string());
    Save(bad);
    EXPECT_EQ(Run({"--set", "FrameRate=2000", "--set", "DstName=x", "--set", "SrcPath0=a.strk",
                   m_project}),
              cli::kExitOk);
    EXPECT_EQ(m_made.GetFrameRate(), 2000);
    EXPECT_EQ(m_made.GetSrcPath0(), (m_folder / "a.strk").string());
    EXPECT_TRUE(fs::exists(m_folder / "x.gif"));
    EXPECT_EQ(m_threads, 0) << "every hardware thread unless --jobs says otherwise";

    EXPECT_EQ(Run({"--overwrite", "-j", "3", "--set", "FrameRate=2000", m_project}), cli::kExitOk);
    EXPECT_EQ(m_threads, 3);
    EXPECT_EQ(Run({"--jobs", "0", m_project}), cli::kExitUsage);
    EXPECT_NE(m_err.str().find("--jobs"), std::string::npos) << m_err.str();
}

TEST_F(BatchRun, ExistingOutputsAreNotReplacedWithoutConsent) {
    std::ofstream(Output()) << "old";
    EXPECT_EQ(Run({m_project}), cli::kExitNotOverwritten);
    EXPECT_NE(m_err.str().find(Output()), std::string::npos);
    EXPECT_NE(m_err.str().find("--overwrite"), std::string::npos);
    EXPECT_EQ(Contents(Output()), "old");

    m_interactive = true;
    EXPECT_EQ(Run({m_project}, "n\n"), cli::kExitNotOverwritten);
    EXPECT_NE(m_err.str().find("1 file will be overwritten. Do you want to overwrite it?"),
              std::string::npos)
        << m_err.str();
    EXPECT_EQ(Run({m_project}, ""), cli::kExitNotOverwritten) << "end of input is a no";
    EXPECT_EQ(Contents(Output()), "old");
    EXPECT_EQ(Run({m_project}, "y\n"), cli::kExitOk);
    EXPECT_EQ(Contents(Output()), "new");

    m_interactive = false;
    std::ofstream(Output()) << "old";
    EXPECT_EQ(Run({"--overwrite", m_project}), cli::kExitOk);
    EXPECT_EQ(Contents(Output()), "new");
}

TEST_F(BatchRun, CountsOfExistingOutputsReadAsOneOrMany) {
    std::ofstream(Output()) << "old";
    EXPECT_EQ(Run({m_project}), cli::kExitNotOverwritten);
    EXPECT_EQ(m_err.str().rfind("1 output file exists; nothing was written (give --overwrite to "
                                "replace it):\n",
                                0),
              0u)
        << m_err.str();

    m_outputs = 3;
    std::ofstream(m_folder / "anim1.gif") << "old";
    EXPECT_EQ(Run({m_project}), cli::kExitNotOverwritten);
    EXPECT_EQ(m_err.str().rfind("2 output files exist; nothing was written (give --overwrite to "
                                "replace them):\n",
                                0),
              0u)
        << m_err.str();
    m_interactive = true;
    EXPECT_EQ(Run({m_project}, "n\n"), cli::kExitNotOverwritten);
    EXPECT_NE(m_err.str().find("2 files"), std::string::npos) << m_err.str();
}

} // namespace
