#include "cli/batch_run.h"
#include "cli/check_report.h"
#include "common/message_ids.h"
#include "json_reader.h"
#include "settings/project_file.h"
#include "support/pair_drawings.h"
#include "support/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using morvane::test::StrkFigure;
using morvane::test::StrkWriter;

using morvane::test::LineDrawing;
using morvane::test::ThreeDifferences;

class CheckRun : public ::testing::Test {
protected:
    void SetUp() override { m_project = (m_folder / "p.mrva").string(); }

    // Writes the pair and a project naming it, with the output folder beside them.
    void Pair(const StrkWriter& start, const StrkWriter& end) {
        start.Save((m_folder / "start.strk").string());
        end.Save((m_folder / "end.strk").string());
        mrv::CTaskSetting task;
        task.SetSrcPath0((m_folder / "start.strk").string());
        task.SetSrcPath1((m_folder / "end.strk").string());
        task.SetDstFolder((m_folder / "out").string());
        CSimpleErr err;
        ASSERT_TRUE(SaveProject(m_project, task, err)) << err.m_text;
    }

    int Run(std::vector<std::string> args) {
        std::istringstream in;
        m_out.str("");
        m_err.str("");
        cli::CConsole console{in, m_out, m_err, false, false};
        const cli::CJobFactory noJob = [](const mrv::CTaskSetting&,
                                          int) -> std::unique_ptr<cli::CBatchJob> {
            ADD_FAILURE() << "a check makes no generation job";
            return nullptr;
        };
        args.push_back(m_project);
        return cli::RunBatch(args, noJob, console, m_stop, m_folder.string());
    }

    // The pairing of the project's files, for comparison.
    mrv::CPairingCheck Expected() const {
        mrv::CTaskSetting task;
        task.SetSrcPath0((m_folder / "start.strk").string());
        task.SetSrcPath1((m_folder / "end.strk").string());
        return mrv::CheckPairingOf(task);
    }

    const morvane::test::CTempFolder m_temp;
    const fs::path& m_folder = m_temp.Path();
    std::string m_project;
    std::ostringstream m_out, m_err;
    CTerminateFlag m_stop;
};

TEST_F(CheckRun, EveryDifferenceIsPrintedAsABlock) {
    Pair(LineDrawing(4), ThreeDifferences());
    EXPECT_EQ(Run({"--check"}), cli::kExitFailed);
    EXPECT_EQ(m_err.str(), "");
    EXPECT_EQ(m_out.str(),
              "制御点の数が一致しません\n数: 2 -> 3\n親の名前:  -> \n位置: 1-1-1\n"
              "START: position 1-1-1, name \"\"\n"
              "END: position 1-1-1, name \"\"\n\n"
              "線の塗りの種類が一致しません。\nテクスチャーから、単色、グラデーション（もしくはその"
              "逆）の変化はできません\n種類: 図形\n名前: l2 -> l2\n位置: 1-2\n"
              "START: position 1-2, name \"l2\"\n"
              "END: position 1-2, name \"l2\"\n\n"
              "図形の線端の形が一致しません\n端: ROUND -> SQUARE\n名前: l4 -> l4\n位置: 1-4\n"
              "START: position 1-4, name \"l4\"\n"
              "END: position 1-4, name \"l4\"\n\n"
              "3 differences: START and END cannot be animated.\n");
    EXPECT_FALSE(fs::exists(m_folder / "out"));
}

TEST_F(CheckRun, JsonHoldsTheSameEntries) {
    Pair(LineDrawing(4), ThreeDifferences());
    EXPECT_EQ(Run({"--check", "--json"}), cli::kExitFailed);
    const jsontest::CValue json = jsontest::Parse(m_out.str());
    const mrv::CPairingCheck expected = Expected();
    ASSERT_EQ(json.m_kind, jsontest::CValue::Array);
    ASSERT_EQ(json.m_array.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const jsontest::CValue& entry = json.m_array[i];
        const mrv::CPairDifference& d = expected.m_differences[i];
        EXPECT_EQ(entry["id"].m_number, d.m_message.m_id);
        EXPECT_EQ(entry["text"].m_string, d.m_message.m_text);
        EXPECT_EQ(entry["startPosition"].m_string, d.StartPosition());
        EXPECT_EQ(entry["startName"].m_string, d.StartName());
        EXPECT_EQ(entry["endPosition"].m_string, d.EndPosition());
        EXPECT_EQ(entry["endName"].m_string, d.EndName());
    }
    EXPECT_EQ(json.m_array[0]["id"].m_number, IDS_PAIR_POINT_COUNT);
    EXPECT_EQ(json.m_array[2]["startPosition"].m_string, "1-4");

    // A missing layer: one entry, at the page itself.
    StrkWriter twoLayers = LineDrawing(1);
    twoLayers.Model().Layer(u"sea").Line(u"wave").Part().Point(0, 0).Point(1, 1);
    Pair(twoLayers, LineDrawing(1));
    EXPECT_EQ(Run({"--check", "--json"}), cli::kExitFailed);
    const jsontest::CValue one = jsontest::Parse(m_out.str());
    ASSERT_EQ(one.m_array.size(), 1u);
    EXPECT_EQ(one.m_array[0]["id"].m_number, IDS_PAIR_CHILD_COUNT);
    EXPECT_EQ(one.m_array[0]["startPosition"].m_string, "");
    EXPECT_EQ(one.m_array[0]["text"].m_string,
              "図形の数が一致しません\n数: 2 -> 1\n親の名前:  -> \n位置: ");
    EXPECT_EQ(Run({"--check"}), cli::kExitFailed);
    EXPECT_NE(m_out.str().find("\nSTART: position (root), name \"\"\n"), std::string::npos)
        << m_out.str();
}

TEST_F(CheckRun, IdenticalDrawingsAnimate) {
    Pair(ThreeDifferences(), ThreeDifferences());
    EXPECT_EQ(Run({"--check"}), cli::kExitOk);
    EXPECT_EQ(m_out.str(), "No differences: START and END can be animated.\n");
    EXPECT_EQ(Run({"--check", "--json"}), cli::kExitOk);
    EXPECT_EQ(m_out.str(), "[]\n");
    EXPECT_EQ(jsontest::Parse(m_out.str()).m_array.size(), 0u);

    // --set applies: END replaced by START.
    Pair(LineDrawing(4), ThreeDifferences());
    EXPECT_EQ(Run({"--set", "SrcPath1=start.strk", "--check"}), cli::kExitOk);
}

TEST_F(CheckRun, ALongListIsCutWithAndMore) {
    const auto allButt = [](int, StrkFigure& line) { line.lineCap = stroke::CAP_BUTT; };
    Pair(LineDrawing(205), LineDrawing(205, allButt));
    EXPECT_EQ(Run({"--check"}), cli::kExitFailed);
    const std::string text = m_out.str();
    EXPECT_NE(text.find("\n\n… and more\n\nMore than 200 differences"), std::string::npos);

    EXPECT_EQ(Run({"--check", "--json"}), cli::kExitFailed);
    const jsontest::CValue json = jsontest::Parse(m_out.str());
    ASSERT_EQ(json.m_array.size(), 201u);
    EXPECT_EQ(json.m_array[199]["startPosition"].m_string, "1-200");
    const jsontest::CValue& more = json.m_array[200];
    EXPECT_EQ(more["id"].m_number, IDS_PAIR_CHECK_MORE);
    EXPECT_EQ(more["text"].m_string, "… and more");
    EXPECT_TRUE(more["startPosition"].IsNull());
    EXPECT_TRUE(more["endName"].IsNull());
}

TEST_F(CheckRun, UnreadableFilesAndMisuse) {
    Pair(LineDrawing(1), LineDrawing(1));
    fs::remove(m_folder / "end.strk");
    EXPECT_EQ(Run({"--check", "--json"}), cli::kExitFailed);
    EXPECT_EQ(m_out.str(), "") << "nothing that could be read as a list";
    EXPECT_NE(m_err.str().find("end.strk"), std::string::npos) << m_err.str();

    EXPECT_EQ(Run({"--json"}), cli::kExitUsage);
    EXPECT_NE(m_err.str().find("--check"), std::string::npos);
}

TEST(CheckJson, StringsAreEscapedAndValidUtf8) {
    const std::string raw = std::string("a\"b\\c\n\t\x01 é ") + "\xff" + " 𝄞";
    const std::string literal = cli::JsonString(raw);
    EXPECT_EQ(literal.find('\n'), std::string::npos);
    EXPECT_NE(literal.find("\\u0001"), std::string::npos);
    const jsontest::CValue back = jsontest::Parse(literal);
    EXPECT_EQ(back.m_string, "a\"b\\c\n\t\x01 é \uFFFD 𝄞");
}

} // namespace
