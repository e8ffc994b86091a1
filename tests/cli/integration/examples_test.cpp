// The committed examples: what tools/make_examples makes today, readable by the stroke reader,
// and projects whose images are found beside them.
#include "run_program.h"
#include "settings/project_file.h"
#include "stroke/figures.h"
#include "stroke/serializer.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class Examples : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_made = fs::temp_directory_path() / ("morvane-examples-" + std::to_string(getpid()));
        fs::remove_all(s_made);
        fs::create_directories(s_made);
        const clitest::CResult r = clitest::Execute({MAKE_EXAMPLES, s_made.string()}, s_made);
        ASSERT_EQ(r.m_status, 0) << r.m_err;
        fs::remove(s_made / "stdout.txt");
        fs::remove(s_made / "stderr.txt");
    }
    static void TearDownTestSuite() { fs::remove_all(s_made); }

    static inline fs::path s_made;
};

TEST_F(Examples, TheCommittedFilesAreWhatTheGeneratorMakes) {
    int files = 0;
    for (const fs::directory_entry& made : fs::directory_iterator(s_made)) {
        SCOPED_TRACE(made.path().filename().string());
        EXPECT_EQ(clitest::ReadAll(made.path()),
                  clitest::ReadAll(fs::path(EXAMPLES_DIR) / made.path().filename()));
        ++files;
    }
    EXPECT_EQ(files, 12) << "four projects with a START and an END image each";
}

TEST_F(Examples, ProjectsNameImagesTheReaderAccepts) {
    for (const std::string name : {"morph", "widths", "curved_text", "phased_dots"}) {
        SCOPED_TRACE(name);
        mrv::CTaskSetting task;
        CSimpleErr err;
        ASSERT_TRUE(LoadProject(std::string(EXAMPLES_DIR) + "/" + name + ".mrva", task, err))
            << err.m_text;
        // Outputs go to out/ of the source tree, beside examples/.
        EXPECT_EQ(fs::path(task.GetDstFolder()),
                  (fs::path(EXAMPLES_DIR).parent_path() / "out").lexically_normal());
        EXPECT_EQ(task.GetDstName(), name);
        for (const std::string& path : {task.GetSrcPath0(), task.GetSrcPath1()}) {
            const auto model = stroke::CSerializer::ReadModel(path);
            ASSERT_TRUE(model);
            EXPECT_EQ(model->m_width, 320);
            EXPECT_EQ(model->m_height, 240);
            EXPECT_EQ(model->m_children.size(), 1u);
        }
    }
}

} // namespace
