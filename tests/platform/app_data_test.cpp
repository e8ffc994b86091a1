// Help pages found from where the program lives: installed under a prefix, or run from the
// build folder inside its source tree.
#include "platform/app_data.h"
#include "support/temp_folder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using morvane::test::CTempFolder;

void Touch(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "page";
}

TEST(HelpPages, FoundBesideAnInstalledProgramBeforeAnySourceTree) {
    CTempFolder temp;
    const fs::path prefix = temp.Path() / "a" / "stage" / "usr";
    Touch(prefix / "bin" / "morvane");
    Touch(prefix / "share" / "morvane" / "docs" / "user-guide.md");
    // A page of the same name higher up must not win over the installed one.
    Touch(temp.Path() / "a" / "docs" / "user-guide.md");
    const std::string program = (prefix / "bin" / "morvane").string();

    EXPECT_EQ(my::ProgramPrefix(program), prefix.string());
    EXPECT_EQ(my::FindHelpPage("docs/user-guide.md", program),
              (prefix / "share" / "morvane" / "docs" / "user-guide.md").string());
    // README.md is not installed here, and none of the four folders above holds one.
    EXPECT_EQ(my::FindHelpPage("README.md", program), "");
}

TEST(HelpPages, FoundInTheSourceTreeOfABuildFolder) {
    CTempFolder temp;
    const fs::path tree = temp.Path() / "tree";
    Touch(tree / "build" / "bin" / "morvane");
    Touch(tree / "README.md");
    Touch(tree / "docs" / "user-guide.md");
    fs::create_directories(tree / "build" / "docs" / "user-guide.md"); // a folder is no page
    const std::string program = (tree / "build" / "bin" / "morvane").string();

    EXPECT_EQ(my::FindHelpPage("docs/user-guide.md", program),
              (tree / "docs" / "user-guide.md").string());
    EXPECT_EQ(my::FindHelpPage("README.md", program), (tree / "README.md").string());
    EXPECT_EQ(my::FindHelpPage("docs/missing.md", program), "");
    EXPECT_EQ(my::FindHelpPage("docs/user-guide.md", ""), "");
}

} // namespace
