#include "common/message_ids.h"
#include "settings/project_file.h"
#include "settings/task_element.h"
#include "settings_test_util.h"
#include "support/open_files.h"
#include "support/temp_folder.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using morvane::test::CTempFolder;
using mrv::CTaskSetting;
using settings_test::ReadFile;
using settings_test::WriteFile;

// Every field away from its default.
CTaskSetting FullTask(const std::string& folder) {
    CTaskSetting t;
    t.SetFlags(0x3F);
    t.SetSrcPath0(folder + "/img/start.strk");
    t.SetSrcPath1(folder + "/../elsewhere/end.strk");
    t.SetDstFormat(mrv::DstFormat::WEBP);
    t.SetDstFolder(folder + "/out");
    t.SetDstName(" frame & <name> ");
    t.SetStartNo(-3);
    t.SetDigits(6);
    t.SetInterFrameCount(1000);
    t.SetRoundType(mrv::RoundType::Reverse);
    t.SetRoundFlags(0x15);
    t.SetInterpolateType(mrv::InterpolateType::Arc);
    t.SetInterpolateAmp(-2.5);
    t.SetFrameRate(2997);
    t.SetLoopCount(3);
    t.SetWidth(0);
    t.SetHeight(-7);
    t.SetDpi(300);
    t.SetBkColor(my::colord(0.25, 0.5, 0.75, 0.125, 0.0625));
    t.SetPhaseBraces({"[", "]]"});
    t.SetPhaseMultiple(0.1);
    t.SetWebpQuality(80);
    return t;
}

// A project text with one Task element, the given children replacing or completing those of
// a saved default task.
std::string ProjectText(const std::string& folder, const std::string& from, const std::string& to) {
    const std::string path = folder + "/template.mrva";
    CSimpleErr err;
    EXPECT_TRUE(SaveProject(path, CTaskSetting(), err)) << err.m_text;
    std::string text = ReadFile(path);
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

TEST(ProjectFile, EveryFieldRoundTripsInStoredOrder) {
    CTempFolder folder;
    const std::string project = folder / "p/proj.mrva";
    std::filesystem::create_directories(folder / "p");
    const CTaskSetting task = FullTask(folder / "p");
    CSimpleErr err;
    ASSERT_TRUE(SaveProject(project, task, err)) << err.m_text;
    CTaskSetting read;
    ASSERT_TRUE(LoadProject(project, read, err)) << err.m_text;

    CTaskSetting expected = task;
    expected.SetSrcPath1(folder / "elsewhere/end.strk"); // ".." folded on reading
    EXPECT_EQ(read, expected);

    const std::string text = ReadFile(project);
    EXPECT_NE(text.find("<SrcPath0>./img/start.strk</SrcPath0>"), std::string::npos);
    EXPECT_NE(text.find("<SrcPath1>../elsewhere/end.strk</SrcPath1>"), std::string::npos);
    EXPECT_NE(text.find("<DstName> frame &amp; &lt;name&gt; </DstName>"), std::string::npos);
    EXPECT_TRUE(settings_test::InOrder(text, {"<Version>",         "<Task>",
                                              "<Flags>",           "<SrcPath0>",
                                              "<SrcPath1>",        "<DstFormat>",
                                              "<DstFolder>",       "<DstName>",
                                              "<StartNo>",         "<Digits>",
                                              "<InterFrameCount>", "<RoundType>",
                                              "<RoundFlags>",      "<InterpolateType>",
                                              "<InterpolateAmp>",  "<FrameRate>",
                                              "<LoopCount>",       "<Width>",
                                              "<Height>",          "<Dpi>",
                                              "<BkColor>",         "<PhaseBraces>",
                                              "<PhaseMultiple>",   "<WebpQuality>"}));
    EXPECT_NE(text.find("<DstFormat>WEBP</DstFormat>"), std::string::npos);
    EXPECT_NE(text.find("<WebpQuality>80</WebpQuality>"), std::string::npos);
}

// A project written before WebpQuality existed reads as lossless; one written by a later
// version with elements this one does not know reads the elements it knows.
TEST(ProjectFile, OlderProjectsReadLosslessAndUnknownElementsArePassedOver) {
    CTempFolder folder;
    std::string text = ProjectText(folder.Path(), "<WebpQuality>100</WebpQuality>", "");
    ASSERT_EQ(text.find("WebpQuality"), std::string::npos);
    WriteFile(folder / "old.mrva", text);
    CTaskSetting read;
    read.SetWebpQuality(5);
    CSimpleErr err;
    ASSERT_TRUE(LoadProject(folder / "old.mrva", read, err)) << err.m_text;
    EXPECT_EQ(read.GetWebpQuality(), 100);

    text = ProjectText(folder.Path(), "<DstFormat>AGIF</DstFormat>",
                       "<FutureOption>7</FutureOption><DstFormat>WEBP</DstFormat>"
                       "<FutureGroup><x>1</x></FutureGroup>");
    text.replace(text.find("<WebpQuality>100"), 16, "<WebpQuality>42");
    WriteFile(folder / "new.mrva", text);
    ASSERT_TRUE(LoadProject(folder / "new.mrva", read, err)) << err.m_text;
    EXPECT_EQ(read.GetDstFormat(), mrv::DstFormat::WEBP);
    EXPECT_EQ(read.GetWebpQuality(), 42);
}

TEST(ProjectFile, PathsFollowAProjectMovedWithItsImages) {
    CTempFolder folder;
    WriteFile(folder / "old/proj/start.strk", "s");
    WriteFile(folder / "old/proj/img/end.strk", "e");
    CTaskSetting task;
    task.SetSrcPath0(folder / "old/proj/start.strk");
    task.SetSrcPath1(folder / "old/proj/img/end.strk");
    task.SetDstFolder(folder / "old/proj");
    CSimpleErr err;
    ASSERT_TRUE(SaveProject(folder / "old/proj/p.mrva", task, err)) << err.m_text;
    EXPECT_NE(ReadFile(folder / "old/proj/p.mrva").find("<SrcPath0>./start.strk</SrcPath0>"),
              std::string::npos);

    std::filesystem::create_directories(folder / "new/deeper");
    std::filesystem::rename(folder / "old/proj", folder / "new/deeper/moved");
    CTaskSetting read;
    ASSERT_TRUE(LoadProject(folder / "new/deeper/moved/p.mrva", read, err)) << err.m_text;
    EXPECT_EQ(read.GetSrcPath0(), folder / "new/deeper/moved/start.strk");
    EXPECT_EQ(read.GetSrcPath1(), folder / "new/deeper/moved/img/end.strk");
    EXPECT_EQ(read.GetDstFolder(), folder / "new/deeper/moved");
}

// Values are taken without range checks, from any version.
TEST(ProjectFile, ProjectsWrittenOnWindowsOrByNewerVersionsOpen) {
    CTempFolder folder;
    std::string text = ProjectText(folder.Str(), "<SrcPath0></SrcPath0>",
                                   "<SrcPath0>.\\img\\a.strk</SrcPath0>"
                                   "<SrcPath1>D:\\art\\b.strk</SrcPath1>");
    text.replace(text.find("<InterFrameCount>7"), 18, "<InterFrameCount>-5");
    text.replace(text.find("<FrameRate>1000"), 15, "<FrameRate>0");
    text.replace(text.find("<Version>1.0.0.0"), 16, "<Version>9.9.9.9");
    WriteFile(folder / "w.mrva", text);
    CTaskSetting read;
    CSimpleErr err;
    ASSERT_TRUE(LoadProject(folder / "w.mrva", read, err)) << err.m_text;
    EXPECT_EQ(read.GetSrcPath0(), folder / "img/a.strk");
    // The first SrcPath1 (the drive path) counts; the saved empty one follows it.
    EXPECT_EQ(read.GetSrcPath1(), "D:\\art\\b.strk");
    EXPECT_EQ(read.GetInterFrameCount(), -5);
    EXPECT_EQ(read.GetFrameRate(), 0);
}

TEST(ProjectFile, AFailedReadLeavesTheRecordAsItWas) {
    CTempFolder folder;
    const CTaskSetting before = FullTask("/keep");
    struct Case {
        const char* from;
        const char* to;
        std::int32_t id;
        const char* text;
    };
    for (const Case& c : {Case{"<DstFormat>AGIF", "<DstFormat>apng", IDS_ENUM_NAME_UNKNOWN,
                               "Unknown name is specified mrv::DstFormat::apng"},
                          Case{"<PhaseMultiple>1</PhaseMultiple>", "", IDS_XML_NODE_NOT_FOUND,
                               "Failed to select specified node - Unspecified error"},
                          Case{"<Version>1.0.0.0", "<Version>1.0", IDS_XML_VERSION_INVALID,
                               "Failed to parse version information of XML node - 1.0"},
                          Case{"<Height>270", "<Height>abc", IDS_XML_INT_INVALID,
                               "Failed to parse integer of XML node - abc"},
                          Case{"<value>0</value>", "", IDS_XML_NODE_COUNT_INVALID,
                               "Count of XML nodes is invalid\n4"},
                          Case{"</MorvaneFile>", "", IDS_XML_LOAD_FAILED, nullptr}}) {
        WriteFile(folder / "bad.mrva", ProjectText(folder.Str(), c.from, c.to));
        CTaskSetting task = before;
        CSimpleErr err;
        const std::size_t descriptors = morvane::test::OpenDescriptorCount();
        EXPECT_FALSE(LoadProject(folder / "bad.mrva", task, err)) << c.from;
        EXPECT_EQ(morvane::test::OpenDescriptorCount(), descriptors) << c.from;
        EXPECT_EQ(err.m_id, c.id) << c.from;
        if (c.text) {
            EXPECT_EQ(err.m_text, c.text);
        }
        EXPECT_EQ(task, before) << c.from;
    }
}

// A link inside the project folder is part of the path the user chose: reading keeps it, so
// saving again writes the same text instead of the link's target.
TEST(ProjectFile, PathsThroughSymbolicLinksStayAsGiven) {
    CTempFolder folder;
    WriteFile(folder / "elsewhere/x.strk", "s");
    std::filesystem::create_directories(folder / "proj");
    std::filesystem::create_directory_symlink("../elsewhere", folder / "proj/assets");
    std::filesystem::create_directory_symlink("proj", folder / "linked");
    WriteFile(folder / "proj/p.mrva", ProjectText(folder / "proj", "<SrcPath0></SrcPath0>",
                                                  "<SrcPath0>./assets/x.strk</SrcPath0>"));
    CTaskSetting read;
    CSimpleErr err;
    ASSERT_TRUE(LoadProject(folder / "proj/p.mrva", read, err)) << err.m_text;
    EXPECT_EQ(read.GetSrcPath0(), folder / "proj/assets/x.strk");
    ASSERT_TRUE(SaveProject(folder / "proj/p.mrva", read, err)) << err.m_text;
    EXPECT_NE(ReadFile(folder / "proj/p.mrva").find("<SrcPath0>./assets/x.strk</SrcPath0>"),
              std::string::npos);
    // Opened through a linked folder, the paths are under that folder too.
    ASSERT_TRUE(LoadProject(folder / "linked/p.mrva", read, err)) << err.m_text;
    EXPECT_EQ(read.GetSrcPath0(), folder / "linked/assets/x.strk");
}

// Infinities and NaNs would pass the Generate checks and fail late or write empty frames.
TEST(ProjectFile, NumbersThatAreNotFiniteAreRefusedNamingTheElement) {
    CTempFolder folder;
    const CTaskSetting before = FullTask("/keep");
    struct Case {
        const char* element;
        const char* saved; // the default task's value
        const char* text;
    };
    for (const Case& c : {Case{"InterpolateAmp", "1", "NaN"}, Case{"Dpi", "72", "inf"},
                          Case{"PhaseMultiple", "1", "1e999"}}) {
        const std::string open = std::string("<") + c.element + ">";
        WriteFile(folder / "bad.mrva",
                  ProjectText(folder.Str(), open + c.saved + "<", open + c.text + "<"));
        CTaskSetting task = before;
        CSimpleErr err;
        EXPECT_FALSE(LoadProject(folder / "bad.mrva", task, err)) << c.element;
        EXPECT_EQ(err.m_id, IDS_XML_NUMBER_NOT_FINITE) << c.element;
        EXPECT_EQ(err.m_text, std::string("XML node has a number that is not finite - ") + c.text +
                                  "\n\n#document/MorvaneFile/Task -> " + c.element);
        EXPECT_EQ(task, before) << c.element;
    }
}

// "File name too long" alone does not say which file.
TEST(ProjectFile, AFileNameTooLongIsReportedWithItsPath) {
    CTempFolder folder;
    const std::string path = folder / (std::string(300, 'n') + ".mrva");
    CSimpleErr err;
    EXPECT_FALSE(SaveProject(path, CTaskSetting(), err));
    EXPECT_EQ(err.m_id, IDS_XML_SAVE_FAILED);
    EXPECT_EQ(err.m_text, "Failed to save XML document - File name too long\n\n" + path);
    CTaskSetting task;
    EXPECT_FALSE(LoadProject(path, task, err));
    EXPECT_EQ(err.m_text, "Failed to load XML document - File name too long\n\n" + path);
}

TEST(ProjectFile, AFifoIsRefusedWithoutWaitingForAWriter) {
    CTempFolder folder;
    const std::string fifo = folder / "p.mrva";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    CTaskSetting task;
    CSimpleErr err;
    // Loaded on another thread: a reader that waits for a writer is released by one below, so
    // that the test fails instead of hanging.
    auto loading = std::async(std::launch::async, [&] { return LoadProject(fifo, task, err); });
    if (loading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        const int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        loading.wait();
        if (writer >= 0) {
            ::close(writer);
        }
        FAIL() << "loading a FIFO blocked";
    }
    EXPECT_FALSE(loading.get());
    EXPECT_EQ(err.m_id, IDS_XML_LOAD_FAILED);
    EXPECT_EQ(err.m_text, "Failed to load XML document - Not a regular file (a pipe, a device or "
                          "a socket)\n\n" +
                              fifo);
}

} // namespace
