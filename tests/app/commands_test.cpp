#include "app/commands.h"
#include "app/placement.h"
#include "app_fixture.h"
#include "common/message_ids.h"
#include "settings/project_file.h"

#include <QAction>
#include <QLineEdit>
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

TEST(StartAndQuit, TooManyArgumentsOpenNothing) {
    CAppFixture f("morvane a.mrva b.mrva");
    EXPECT_TRUE(f.m_frame->Init());
    ASSERT_EQ(f.m_msg.m_errors.size(), 1u);
    EXPECT_EQ(f.m_msg.m_errors[0].m_id, IDS_TOO_MANY_ARGUMENTS);
    EXPECT_NE(f.m_msg.m_errors[0].m_text.find("a.mrva\r\nb.mrva\r\n"), std::string::npos);
    EXPECT_EQ(f.m_app.m_doc.GetPath(), "");
}

} // namespace
