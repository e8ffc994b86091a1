#include "common/message_ids.h"
#include "settings/app_setting.h"
#include "settings/app_setting_file.h"
#include "settings/mru_list.h"
#include "settings_test_util.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>

namespace {

using settings_test::CTempFolder;
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
    s.m_task.SetSrcPath0("/home/u/art/start.strk");
    s.m_task.SetSrcPath1("relative/end.strk");
    s.m_task.SetDstFolder("/home/u/out");
    s.m_task.SetDstFormat(mrv::DstFormat::GIF);
    s.m_task.SetRoundFlags(0x1C);
    s.m_task.SetBkColor(my::colord(0, 0.5, 1, 0, 0.75));
    s.m_lastPath = "/home/u/p.mrva";
    s.m_mruPathes.Add("/home/u/q.mrva");
    s.m_mruPathes.Add("/home/u/p.mrva");
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
    CMruPathes paths;
    paths.Add("c:\\a\\X.STRK");
    paths.Add("/b");
    paths.Add("C:\\A\\x.strk");
    EXPECT_EQ(paths.GetItems(), Items({"C:\\A\\x.strk", "/b"}));
    CMruStrings names;
    names.Add("c:\\a\\X.STRK");
    names.Add("C:\\A\\x.strk");
    EXPECT_EQ(names.GetItems(), Items({"C:\\A\\x.strk", "c:\\a\\X.STRK"}));
    names.Add("c:\\a\\X.STRK");
    EXPECT_EQ(names.GetItems(), Items({"c:\\a\\X.STRK", "C:\\A\\x.strk"}));

    names.SetMaxSize(2);
    names.Add("third");
    EXPECT_EQ(names.GetItems(), Items({"third", "c:\\a\\X.STRK"}));
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
    EXPECT_EQ(read.m_srcPathes1.GetMaxSize(), 3u);
    EXPECT_EQ(read.m_dstNames.GetItems(), Items({"Frame", "frame"}));

    const std::string text = ReadFile(folder / "Morvane32.config");
    EXPECT_TRUE(text.starts_with("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<MorvaneSetting "
                                 "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                                 "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">\n"
                                 "\t<Version>1.0.0.0</Version>\n\t<MainFrame>\n"
                                 "\t\t<FullScreen>true</FullScreen>\n"));
    EXPECT_NE(text.find("\t\t<DstFolders>\n\t\t\t<SaveContents>false</SaveContents>\n"
                        "\t\t\t<MaxSize>0</MaxSize>\n\t\t</DstFolders>"),
              std::string::npos);
    EXPECT_TRUE(settings_test::InOrder(text, {"<MainFrame>", "<Task>", "<UI>", "<LastPath>",
                                              "<MruPathes>", "<SrcPathes0>", "<SrcPathes1>",
                                              "<DstFolders>", "<DstNames>"}));
}

TEST(AppSetting, ListsKeepTheirFirstMaxSizeItemsAndIgnoreUnsavedOnes) {
    CTempFolder folder;
    CAppSetting setting;
    for (int i = 25; i >= 1; --i) {
        setting.m_dstNames.SetMaxSize(100);
        setting.m_dstNames.Add("name" + std::to_string(i));
        setting.m_mruPathes.Add("/p" + std::to_string(i));
    }
    ASSERT_TRUE(setting.SaveAppSetting(folder / "s.config"));
    std::string text = ReadFile(folder / "s.config");
    // DstNames holds 25 items; the file then says MaxSize 20. MruPathes says MaxSize 0, and
    // SrcPathes0 does not save its contents but still has Items in the file.
    Replace(text, "<MaxSize>100</MaxSize>", "<MaxSize>20</MaxSize>");
    Replace(text, "<MaxSize>20</MaxSize>\n\t\t</MruPathes>", "<MaxSize>0</MaxSize></MruPathes>");
    Replace(text, "<SrcPathes0>\n\t\t\t<SaveContents>true",
            "<SrcPathes0><SaveContents>false</SaveContents><Items><Item>/x</Item></Items>"
            "<SaveContents>true");
    WriteFile(folder / "s.config", text);

    CAppSetting read;
    ASSERT_TRUE(read.LoadAppSetting(folder / "s.config")) << read.GetErr().m_text;
    ASSERT_EQ(read.m_dstNames.GetItems().size(), 20u);
    EXPECT_EQ(read.m_dstNames.GetItems().front(), "name1");
    EXPECT_EQ(read.m_dstNames.GetItems().back(), "name20");
    EXPECT_TRUE(read.m_mruPathes.IsEmpty());
    EXPECT_TRUE(read.m_srcPathes0.IsEmpty());
    EXPECT_FALSE(read.m_srcPathes0.GetSaveContents());

    ASSERT_TRUE(read.SaveAppSetting(folder / "s.config"));
    text = ReadFile(folder / "s.config");
    EXPECT_NE(text.find("<SrcPathes0>\n\t\t\t<SaveContents>false</SaveContents>\n"
                        "\t\t\t<MaxSize>20</MaxSize>"),
              std::string::npos);
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
    EXPECT_EQ(read.m_lastPath, "");
    EXPECT_TRUE(read.m_mruPathes.IsEmpty());
    EXPECT_EQ(read.m_srcPathes1.GetMaxSize(), 20u);

    CAnswers answers;
    CAppSetting startUp;
    EXPECT_TRUE(ReadAppSettingAtStart(startUp, folder / "s.config", answers));
    ASSERT_TRUE(answers.m_error.has_value());
    EXPECT_EQ(answers.m_error->m_id, IDS_XML_NODE_NOT_FOUND);
    EXPECT_EQ(
        SettingsErrorQuestion(*answers.m_error),
        "The following error is occurred.\nIf you want to fix the error manually, you "
        "must cancel now.\nIf you continue, some or all settings will be reset to default "
        "values.\n\nFailed to select specified node - Unspecified error\n\nDo you continue ?");
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
    for (const auto& [version, asks] : {std::pair{"1.0.0.1", true},
                                        {"1.0.0.0", false},
                                        {"0.9.0.0", false},
                                        {"255.0.0.0", true}}) {
        std::string changed = text;
        Replace(changed, "1.0.0.0", version);
        WriteFile(folder / "s.config", changed);
        CAnswers answers;
        CAppSetting setting;
        EXPECT_TRUE(ReadAppSettingAtStart(setting, folder / "s.config", answers)) << version;
        EXPECT_EQ(answers.m_newerAsked, asks ? 1 : 0) << version;
        EXPECT_FALSE(answers.m_error.has_value());
        answers.m_answer = false;
        EXPECT_EQ(ReadAppSettingAtStart(setting, folder / "s.config", answers), !asks);
    }
    EXPECT_EQ(NewerSettingsQuestion().substr(0, 44),
              "The config file is of unknown newer version.");
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

TEST(AppSetting, FileLivesInTheConfigFolder) {
    const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
    const std::string restore = savedConfig ? savedConfig : "";
    ::setenv("XDG_CONFIG_HOME", "/cfg/home/", 1);
    EXPECT_EQ(AppSettingFilePath(), "/cfg/home/Quenfell/Morvane/Morvane32.config");
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("XDG_CONFIG_HOME", "relative", 1); // not absolute: ignored
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(AppSettingFilePath(), "/home/someone/.config/Quenfell/Morvane/Morvane32.config");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(AppSettingFilePath(), "/home/someone/.config/Quenfell/Morvane/Morvane32.config");
    ::setenv("HOME", home.c_str(), 1);
    if (savedConfig) {
        ::setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
    }
}

} // namespace
