#include "app/commands.h"
#include "app/placement.h"
#include "app_fixture.h"
#include "common/message_ids.h"
#include "settings/app_setting_file.h"
#include "settings/project_file.h"

#include <QAction>
#include <QLineEdit>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using morvane::test::CAppFixture;
using morvane::test::TouchFile;
using mrv::DropTarget;
using Items = std::vector<std::string>;

TEST(DropCommand, OneImageOnTheEndBoxFillsBoth) {
    CAppFixture f;
    f.View().Fill();
    const std::string image = f.m_temp / "end.strk";
    f.m_frame->Drop({image}, DropTarget::EndImage);
    const mrv::CTaskSetting& task = f.m_app.m_doc.GetTask();
    EXPECT_EQ(task.GetSrcPath1(), image);
    EXPECT_EQ(task.GetSrcPath0(), image);
    EXPECT_EQ(task.GetDstFolder(), f.m_temp.Str());
    EXPECT_EQ(f.m_app.m_setting.m_srcPathes0.GetItems(), Items{image});
    EXPECT_EQ(f.m_app.m_setting.m_dstFolders.GetItems(), Items{f.m_temp.Str()});
    EXPECT_EQ(f.View().m_srcPath0->currentText().toStdString(), image);

    // A second single image goes to the box dropped on only; the folder stays.
    f.m_frame->Drop({"/elsewhere/start.strk"}, DropTarget::StartImage);
    EXPECT_EQ(task.GetSrcPath0(), "/elsewhere/start.strk");
    EXPECT_EQ(task.GetSrcPath1(), image);
    EXPECT_EQ(task.GetDstFolder(), f.m_temp.Str());
    EXPECT_EQ(f.m_app.m_setting.m_dstFolders.GetItems().front(), "/elsewhere");
}

TEST(DropCommand, TwoImagesGoFirstToTheBoxDroppedOn) {
    CAppFixture f;
    f.m_frame->Drop({"/p/a.strk", "/p/b.strk"}, DropTarget::EndImage);
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetSrcPath1(), "/p/a.strk");
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetSrcPath0(), "/p/b.strk");
    f.m_frame->Drop({"/p/a.strk", "/p/b.strk", "/p/c.strk"}, DropTarget::StartImage);
    ASSERT_EQ(f.m_msg.m_errors.size(), 1u);
    EXPECT_EQ(f.m_msg.m_errors[0].m_id, IDS_DROP_TOO_MANY_IMAGES);
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetSrcPath0(), "/p/b.strk");
}

TEST(DropCommand, FolderAndNameBoxes) {
    CAppFixture f;
    f.m_frame->Drop({f.m_temp.Str()}, DropTarget::OutputName);
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetDstFolder(), f.m_temp.Str());
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetDstName(), "test"); // a folder sets the folder only

    f.m_frame->Drop({"/out/dance.gif"}, DropTarget::OutputFolder);
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetDstFolder(), "/out");
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetDstName(), "dance");
    EXPECT_EQ(f.m_app.m_setting.m_dstNames.GetItems(), Items{"dance"});

    f.m_frame->Drop({"/a", "/b"}, DropTarget::OutputFolder);
    f.m_frame->Drop({"/a.mrva", "/b.mrva"}, DropTarget::Elsewhere);
    ASSERT_EQ(f.m_msg.m_errors.size(), 2u);
    EXPECT_EQ(f.m_msg.m_errors[0].m_id, IDS_DROP_SEVERAL_ON_OUTPUT);
    EXPECT_EQ(f.m_msg.m_errors[1].m_id, IDS_DROP_SEVERAL_FILES);
}

TEST(ProjectCommands, SaveWithoutPathAsksLikeSaveAsAndRoundTrips) {
    CAppFixture f;
    f.View().Fill();
    f.m_frame->GetView().m_frameRate->setEditText("24");
    emit f.View().m_frameRate->lineEdit()->editingFinished();

    // Cancel in the dialog changes nothing.
    f.m_frame->findChild<QAction*>(); // the menu exists
    mrv::CCommandSave save(f.m_app, false);
    EXPECT_TRUE(save.Execute(true, false));
    EXPECT_EQ(f.m_shell.m_dialogs, 1);
    EXPECT_EQ(f.m_app.m_doc.GetPath(), "");
    EXPECT_TRUE(f.m_app.m_setting.m_mruPathes.IsEmpty());

    const std::string path = f.m_temp / "walk.mrva";
    f.m_shell.m_answer = path;
    EXPECT_TRUE(save.Execute(true, false));
    EXPECT_EQ(f.m_app.m_doc.GetPath(), path);
    EXPECT_EQ(f.m_app.m_setting.m_mruPathes.GetItems(), Items{path});
    EXPECT_EQ(f.m_frame->windowTitle().toStdString(), "Morvane - walk.mrva");

    // With a path, Save writes without asking.
    f.m_app.m_doc.GetTask().SetLoopCount(3);
    EXPECT_TRUE(save.Execute(true, false));
    EXPECT_EQ(f.m_shell.m_dialogs, 2);

    // Open reads it back into a fresh application.
    CAppFixture g;
    mrv::CCommandOpen open(g.m_app);
    open.SetPath(path);
    EXPECT_TRUE(open.Execute(true, false));
    EXPECT_EQ(g.m_app.m_doc.GetTask().GetFrameRate(), 2400);
    EXPECT_EQ(g.m_app.m_doc.GetTask().GetLoopCount(), 3);
    EXPECT_EQ(g.View().m_frameRate->currentText(), "24");
    EXPECT_EQ(g.m_app.m_setting.m_dstNames.GetItems(), Items{"test"});
    EXPECT_EQ(g.m_app.m_setting.m_mruPathes.GetItems(), Items{path});
    EXPECT_EQ(g.m_frame->windowTitle().toStdString(), "Morvane - walk.mrva");
}

TEST(ProjectCommands, FailedOpenLeavesEverythingUnchanged) {
    CAppFixture f;
    f.m_app.m_doc.GetTask().SetDstName("mine");
    f.m_app.m_setting.m_mruPathes.Add("/keep.mrva");
    f.View().Fill();
    const std::string bad = f.m_temp / "bad.mrva";
    std::ofstream(bad) << "<MorvaneFile><Version>1.0.0.0</Version><Task><Flags>Nope</Flags>";
    mrv::CCommandOpen open(f.m_app);
    open.SetPath(bad);
    EXPECT_FALSE(open.Execute(true, false));
    ASSERT_EQ(f.m_msg.m_errors.size(), 1u);
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetDstName(), "mine");
    EXPECT_EQ(f.m_app.m_doc.GetPath(), "");
    EXPECT_EQ(f.m_app.m_setting.m_mruPathes.GetItems(), Items{"/keep.mrva"});
    EXPECT_EQ(f.View().m_dstName->currentText(), "mine");

    mrv::CCommandOpenMru mru(f.m_app, open, 5);
    EXPECT_FALSE(mru.Execute(true, false));
    EXPECT_EQ(f.m_msg.m_errors.back().m_id, IDS_INTERNAL_ERROR);
}

// Edits a box and leaves it, as the user does.
void Edit(QComboBox* box, const char* text) {
    box->setEditText(QString::fromUtf8(text));
    emit box->lineEdit()->editingFinished();
}

TEST(ProjectCommands, UnsavedChangesAreAskedAboutBeforeTheyAreReplaced) {
    CAppFixture f;
    ASSERT_TRUE(f.m_frame->Init());
    const std::string a = f.m_temp / "a.mrva";
    const std::string b = f.m_temp / "b.mrva";
    CSimpleErr err;
    mrv::CTaskSetting project;
    project.SetDstName("alpha");
    ASSERT_TRUE(SaveProject(a, project, err));
    project.SetDstName("beta");
    ASSERT_TRUE(SaveProject(b, project, err));
    const mrv::CTaskSetting& task = f.m_app.m_doc.GetTask();
    using Answer = CMsg::SaveAnswer;

    // Nothing changed: Open asks nothing.
    mrv::CCommandOpen open(f.m_app);
    open.SetPath(a);
    EXPECT_TRUE(open.Execute(true, false));
    EXPECT_TRUE(f.m_msg.m_saveQuestions.empty());

    // An edit, then another project: Cancel keeps the project and the edit.
    Edit(f.View().m_loopCount, "4");
    open.SetPath(b);
    f.m_msg.m_saveAnswer = Answer::Cancel;
    EXPECT_TRUE(open.Execute(true, false));
    ASSERT_EQ(f.m_msg.m_saveQuestions.size(), 1u);
    EXPECT_NE(f.m_msg.m_saveQuestions[0].find("a.mrva"), std::string::npos);
    EXPECT_EQ(f.m_app.m_doc.GetPath(), a);
    EXPECT_EQ(task.GetLoopCount(), 4);
    // Discard: the other project opens.
    f.m_msg.m_saveAnswer = Answer::Discard;
    EXPECT_TRUE(open.Execute(true, false));
    EXPECT_EQ(f.m_app.m_doc.GetPath(), b);
    EXPECT_EQ(task.GetDstName(), "beta");
    mrv::CTaskSetting stored;
    ASSERT_TRUE(LoadProject(a, stored, err));
    EXPECT_EQ(stored.GetLoopCount(), 0);

    // An edit, then New (Ctrl+N) with Save: the edit goes into the file, then a fresh project.
    Edit(f.View().m_dstName, "gamma");
    f.m_msg.m_saveAnswer = Answer::Save;
    QAction* fresh = nullptr;
    for (QAction* action : f.m_frame->findChildren<QAction*>()) {
        if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_N)) {
            fresh = action;
        }
    }
    ASSERT_NE(fresh, nullptr);
    fresh->trigger();
    EXPECT_EQ(f.m_msg.m_saveQuestions.size(), 3u);
    ASSERT_TRUE(LoadProject(b, stored, err));
    EXPECT_EQ(stored.GetDstName(), "gamma");
    EXPECT_EQ(f.m_app.m_doc.GetPath(), "");
    EXPECT_EQ(task, mrv::CTaskSetting());
    EXPECT_EQ(f.View().m_dstName->currentText(), "test");

    // Closing an untitled project with changes: Save asks for a name; cancelling that dialog
    // keeps the window, as does Cancel; Discard closes.
    Edit(f.View().m_interFrameCount, "9");
    f.m_shell.m_answer.clear();
    EXPECT_FALSE(f.m_frame->close());
    EXPECT_NE(f.m_msg.m_saveQuestions.back().find("Untitled"), std::string::npos);
    f.m_msg.m_saveAnswer = Answer::Cancel;
    EXPECT_FALSE(f.m_frame->close());
    EXPECT_FALSE(std::filesystem::exists(f.m_app.m_settingsPath));
    f.m_msg.m_saveAnswer = Answer::Discard;
    EXPECT_TRUE(f.m_frame->close());
    EXPECT_EQ(f.m_msg.m_saveQuestions.size(), 6u);
    EXPECT_TRUE(std::filesystem::exists(f.m_app.m_settingsPath));
    EXPECT_TRUE(f.m_msg.m_errors.empty());
}

TEST(StartAndQuit, CommandLineFileIsOpenedAndSettingsWrittenAtQuit) {
    CAppFixture first;
    const std::string project = first.m_temp / "my project.mrva";
    first.m_app.m_doc.GetTask().SetDstName("from-project");
    CSimpleErr err;
    ASSERT_TRUE(SaveProject(project, first.m_app.m_doc.GetTask(), err));

    CAppFixture f("morvane \"" + project + "\"");
    // Quit before start-up completed writes nothing.
    f.m_frame->GetQuitCommand().Execute(true, false);
    EXPECT_FALSE(std::filesystem::exists(f.m_app.m_settingsPath));

    EXPECT_TRUE(f.m_frame->Init());
    EXPECT_EQ(f.m_app.m_doc.GetPath(), project);
    EXPECT_EQ(f.m_app.m_doc.GetTask().GetDstName(), "from-project");
    EXPECT_FALSE(f.m_app.m_setting.m_placement.m_normalBounds.IsEmpty());
    f.m_frame->GetQuitCommand().Execute(true, false);
    EXPECT_TRUE(f.m_msg.m_errors.empty());

    CAppSetting stored;
    ASSERT_TRUE(stored.LoadAppSetting(f.m_app.m_settingsPath));
    EXPECT_EQ(stored.m_lastPath, project);
    EXPECT_EQ(stored.m_task.GetDstName(), "from-project");
    EXPECT_EQ(stored.m_mruPathes.GetItems(), Items{project});
}

TEST(StartAndQuit, DrawingOnCommandLineStartsANewProjectWithItAsStart) {
    CAppFixture probe;
    const std::string drawing = probe.m_temp / "a sketch.strk";
    std::ofstream(drawing, std::ios::binary) << "stroke\x01\x00\x00\x01";

    CAppFixture f("morvane \"" + drawing + "\"");
    // The last session left a task and a project behind.
    CAppSetting last;
    last.m_task.SetDstName("last-session");
    last.m_task.SetSrcPath1("/old/end.strk");
    last.m_lastPath = "/old/project.mrva";
    WriteAppSettingAtQuit(last, f.m_app.m_settingsPath);

    EXPECT_TRUE(f.m_frame->Init());
    EXPECT_TRUE(f.m_msg.m_errors.empty());
    const mrv::CTaskSetting& task = f.m_app.m_doc.GetTask();
    EXPECT_EQ(f.m_app.m_doc.GetPath(), "");
    EXPECT_EQ(task.GetSrcPath0(), drawing);
    EXPECT_EQ(task.GetSrcPath1(), drawing);
    EXPECT_EQ(task.GetDstFolder(), probe.m_temp.Str());
    EXPECT_EQ(task.GetDstName(), mrv::CTaskSetting().GetDstName());
    EXPECT_EQ(f.View().m_srcPath0->currentText().toStdString(), drawing);

    // A drawing that is not there is reported and leaves the last session's task.
    CAppFixture missing("morvane /no/such/drawing.strk");
    WriteAppSettingAtQuit(last, missing.m_app.m_settingsPath);
    EXPECT_TRUE(missing.m_frame->Init());
    ASSERT_EQ(missing.m_msg.m_errors.size(), 1u);
    EXPECT_EQ(missing.m_msg.m_errors[0].m_id, IDS_FILE_OPEN_FAILED);
    EXPECT_EQ(missing.m_app.m_doc.GetTask().GetDstName(), "last-session");
}

TEST(StartAndQuit, TooManyArgumentsOpenNothing) {
    CAppFixture f("morvane a.mrva b.mrva");
    EXPECT_TRUE(f.m_frame->Init());
    ASSERT_EQ(f.m_msg.m_errors.size(), 1u);
    EXPECT_EQ(f.m_msg.m_errors[0].m_id, IDS_TOO_MANY_ARGUMENTS);
    EXPECT_NE(f.m_msg.m_errors[0].m_text.find("a.mrva\r\nb.mrva\r\n"), std::string::npos);
    EXPECT_EQ(f.m_app.m_doc.GetPath(), "");
}

std::string Describe(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "x" + std::to_string(r.height());
}

TEST(StartAndQuit, WindowComesBackWhereAndAsLargeAsItWas) {
    CAppFixture first;
    const std::string settings = first.m_app.m_settingsPath;
    ASSERT_TRUE(first.m_frame->Init());
    first.m_frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(first.m_frame.get()));
    const QSize least = first.m_frame->minimumSizeHint();
    first.m_frame->resize(least.width() + 7, least.height());
    QTest::qWait(20);
    const std::string placed = Describe(first.m_frame->geometry());
    first.m_frame->GetQuitCommand().Execute(true, false);

    // Start after start: the same place and size, not a frame's worth larger each time.
    for (int start = 0; start < 3; ++start) {
        CAppFixture again;
        again.m_app.m_settingsPath = settings;
        ASSERT_TRUE(again.m_frame->Init());
        again.m_frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(again.m_frame.get()));
        EXPECT_EQ(Describe(again.m_frame->geometry()), placed) << "start " << start;
        again.m_frame->GetQuitCommand().Execute(true, false);
    }
}

TEST(Placement, RectangleGoesOntoTheScreenItMostlyLiesOn) {
    // A wide screen beside a smaller one that is lower: their bounding box has a hole.
    const std::vector<CRect> screens{{0, 0, 1920, 1080}, {1920, 600, 3200, 1624}};
    // In the hole above the small screen: onto the small screen, the nearest.
    EXPECT_EQ(mrv::FitToScreens({2000, 100, 2600, 500}, screens), (CRect{2000, 600, 2600, 1000}));
    // Mostly on the wide screen, hanging below it: moved up onto it, not left in the hole.
    EXPECT_EQ(mrv::FitToScreens({1500, 900, 2000, 1300}, screens), (CRect{1420, 680, 1920, 1080}));
    // Larger than the screen it lies on: shrunk to that screen.
    EXPECT_EQ(mrv::FitToScreens({2000, 700, 4000, 1700}, screens), (CRect{1920, 624, 3200, 1624}));
    // Far away from every screen (a monitor that is gone): the nearest screen.
    EXPECT_EQ(mrv::FitToScreens({9000, 9000, 9500, 9400}, screens),
              (CRect{2700, 1224, 3200, 1624}));
    // Values no screen could hold, from a damaged settings file, still land on a screen.
    EXPECT_EQ(mrv::FitToScreens({-2000000000, 0, 2000000000, 500}, screens),
              (CRect{0, 0, 1920, 500}));
}

} // namespace
