#include "common/message_ids.h"
#include "settings/app_setting.h"
#include "settings/app_setting_file.h"
#include "settings/mru_list.h"
#include "settings_test_util.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

using morvane::test::CTempFolder;
using settings_test::ReadFile;
using settings_test::WriteFile;

// Replaces the first `from` in text.
void Replace(std::string& text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

std::vector<std::string> Items(std::initializer_list<const char*> items) {
    return std::vector<std::string>(items.begin(), items.end());
}

// A settings record with every value away from its default.
CAppSetting FullSetting() {
    CAppSetting s;
    s.m_placement = {true, true, {-10, 20, 1290, 740}};
    s.m_task.SetSrcPath1("relative/end.strk");
    s.m_task.SetDstFormat(mrv::DstFormat::GIF);
    s.m_task.SetBkColor(my::colord(0, 0.5, 1, 0, 0.75));
    s.m_lastPath = "/home/u/p.mrva";
    s.m_mruPathes.Add("/home/u/q.mrva");
    s.m_srcPathes0.Add("/home/u/art/start.strk");
    s.m_srcPathes1.SetMaxSize(3);
    s.m_srcPathes1.Add("/a");
    s.m_dstFolders.SetSaveContents(false);
    s.m_dstFolders.SetMaxSize(0);
    s.m_dstNames.Add("frame");
    s.m_dstNames.Add("Frame");
    return s;
}

class CAnswers : public CSettingsQuestions {
public:
    bool ConfirmSettingsError(const CSimpleErr& err) override {
        m_error = err;
        return m_answer;
    }
    bool ConfirmNewerSettings() override {
        ++m_newerAsked;
        return m_answer;
    }
    bool m_answer = true;
    std::optional<CSimpleErr> m_error;
    int m_newerAsked = 0;
};

TEST(MruList, AddPutsFirstAndDropsEqualAndOldest) {
    // Paths differing only in letter case name two files here: both stay.
    CMruPathes paths;
    paths.Add("/d/X.STRK");
    paths.Add("/b");
    paths.Add("/d/x.strk");
    EXPECT_EQ(paths.GetItems(), Items({"/d/x.strk", "/b", "/d/X.STRK"}));
    paths.Add("/b");
    EXPECT_EQ(paths.GetItems(), Items({"/b", "/d/x.strk", "/d/X.STRK"}));
    CMruStrings names;
    names.Add("c:\\a\\X.STRK");
    names.Add("C:\\A\\x.strk");
    EXPECT_EQ(names.GetItems(), Items({"C:\\A\\x.strk", "c:\\a\\X.STRK"}));

    names.SetMaxSize(2);
    names.Add("third");
    EXPECT_EQ(names.GetItems(), Items({"third", "C:\\A\\x.strk"}));
    names.SetMaxSize(0);
    names.Add("gone");
    EXPECT_TRUE(names.IsEmpty());
}

TEST(AppSetting, EveryValueRoundTrips) {
    CTempFolder folder;
    CAppSetting saved = FullSetting();
    ASSERT_TRUE(saved.SaveAppSetting(folder / "Morvane32.config")) << saved.GetErr().m_text;
    CAppSetting read;
    ASSERT_TRUE(read.LoadAppSetting(folder / "Morvane32.config")) << read.GetErr().m_text;
    EXPECT_EQ(read.GetFileVersion(), 0x01000000u);

    // A list that does not save its contents comes back empty.
    EXPECT_TRUE(read.m_dstFolders.IsEmpty());
    EXPECT_FALSE(read.m_dstFolders.GetSaveContents());
    EXPECT_TRUE(read.SameValues(saved));
    EXPECT_EQ(read.m_task.GetSrcPath1(), "relative/end.strk"); // no base folder here
    EXPECT_EQ(read.m_dstNames.GetItems(), Items({"Frame", "frame"}));

    const std::string text = ReadFile(folder / "Morvane32.config");
    EXPECT_TRUE(settings_test::InOrder(text, {"<MainFrame>", "<Task>", "<UI>", "<LastPath>",
                                              "<MruPathes>", "<SrcPathes0>", "<SrcPathes1>",
                                              "<DstFolders>", "<DstNames>"}));
}

TEST(AppSetting, AFileWithoutUiKeepsWhatWasReadAndTheListDefaults) {
    CTempFolder folder;
    CAppSetting saved = FullSetting();
    ASSERT_TRUE(saved.SaveAppSetting(folder / "s.config"));
    std::string text = ReadFile(folder / "s.config");
    text.erase(text.find("\t<UI>"), text.find("</UI>") + 6 - text.find("\t<UI>"));
    WriteFile(folder / "s.config", text);

    CAppSetting read;
    EXPECT_FALSE(read.LoadAppSetting(folder / "s.config"));
    EXPECT_EQ(read.GetErr().m_id, IDS_XML_NODE_NOT_FOUND);
    EXPECT_EQ(read.m_placement, saved.m_placement);
    EXPECT_EQ(read.m_task, saved.m_task);
    EXPECT_TRUE(read.m_mruPathes.IsEmpty());

    CAnswers answers;
    CAppSetting startUp;
    EXPECT_TRUE(ReadAppSettingAtStart(startUp, folder / "s.config", answers));
    ASSERT_TRUE(answers.m_error.has_value());
    EXPECT_EQ(answers.m_error->m_id, IDS_XML_NODE_NOT_FOUND);
    answers.m_answer = false;
    EXPECT_FALSE(ReadAppSettingAtStart(startUp, folder / "s.config", answers));
}

TEST(AppSetting, StartUpAsksOnlyAboutNewerVersions) {
    CTempFolder folder;
    // A missing file keeps the defaults without asking.
    CAnswers missing;
    CAppSetting kept;
    kept.m_lastPath = "kept";
    EXPECT_TRUE(ReadAppSettingAtStart(kept, folder / "none/Morvane32.config", missing));
    EXPECT_FALSE(missing.m_error.has_value());
    EXPECT_EQ(missing.m_newerAsked, 0);
    EXPECT_EQ(kept.m_lastPath, "kept");

    CAppSetting saved;
    ASSERT_TRUE(saved.SaveAppSetting(folder / "s.config"));
    const std::string text = ReadFile(folder / "s.config");
    for (const auto& [version, asks] : {std::pair{"1.0.0.1", true}, {"1.0.0.0", false}}) {
        std::string changed = text;
        Replace(changed, "1.0.0.0", version);
        WriteFile(folder / "s.config", changed);
        CAnswers answers;
        CAppSetting setting;
        EXPECT_TRUE(ReadAppSettingAtStart(setting, folder / "s.config", answers)) << version;
        EXPECT_EQ(answers.m_newerAsked, asks ? 1 : 0) << version;
        answers.m_answer = false;
        EXPECT_EQ(ReadAppSettingAtStart(setting, folder / "s.config", answers), !asks);
    }
}

TEST(AppSetting, QuitCreatesTheFolderOrSaysWhyNot) {
    CTempFolder folder;
    CAppSetting setting = FullSetting();
    const std::string path = folder / "cfg/Quenfell/Morvane/Morvane32.config";
    WriteAppSettingAtQuit(setting, path);
    CAppSetting read;
    EXPECT_TRUE(read.LoadAppSetting(path));
    EXPECT_TRUE(read.SameValues(setting));

    // A parent that is a file fails even for root.
    WriteFile(folder / "file", "x");
    try {
        WriteAppSettingAtQuit(setting, folder / "file/Morvane/Morvane32.config");
        FAIL();
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_id, IDS_FOLDER_CREATE_FAILED);
        EXPECT_EQ(e.m_text,
                  "Failed to create folder - Not a directory\n\n" + (folder / "file/Morvane"));
    }
}

} // namespace
