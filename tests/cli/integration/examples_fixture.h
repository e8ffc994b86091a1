// The fixture of the tests that run the built morvane-cli on the example drawings: the examples
// made afresh by make_examples once per suite into a temporary folder, and an empty output
// folder per test.
#pragma once

#include "engine/task_setting.h"
#include "run_program.h"
#include "settings/project_file.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace clitest {

class CExamplesRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_root = std::filesystem::temp_directory_path() /
                 ("morvane-cli-it-" + std::to_string(::getpid()));
        std::filesystem::remove_all(s_root);
        std::filesystem::create_directories(s_root / "scratch");
        const CResult made =
            Execute({MAKE_EXAMPLES, (s_root / "examples").string()}, s_root / "scratch");
        ASSERT_EQ(made.m_status, 0) << made.m_err;
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(s_root); }

    void SetUp() override {
        m_out =
            s_root /
            ("out-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(m_out);
        std::filesystem::create_directories(m_out);
    }

    // The project file of an example, by its name ("morph").
    static std::string Project(const std::string& name) {
        return (s_root / "examples" / (name + ".mrva")).string();
    }
    // The task of an example as its project file holds it.
    static mrv::CTaskSetting Task(const std::string& name) {
        mrv::CTaskSetting task;
        CSimpleErr err;
        EXPECT_TRUE(LoadProject(Project(name), task, err)) << err.m_text;
        return task;
    }

    static inline std::filesystem::path s_root;
    std::filesystem::path m_out; // this test's output folder
};

} // namespace clitest
