// The desktop application: builds the application objects, runs start-up and the window.
#include "app/command_line.h"
#include "app/generation.h"
#include "app/main_frame.h"
#include "app/message_box_msg.h"
#include "app/qt_shell.h"
#include "app/translations.h"
#include "common/messages.h"
#include "engine/task.h"
#include "settings/app_setting_file.h"

#include <QApplication>
#include <memory>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const std::unique_ptr<QTranslator> qtTexts = mrv::LoadQtTranslations(my::MessageLanguage());
    if (qtTexts) {
        application.installTranslator(qtTexts.get());
    }
    CMessageBoxMsg msg;
    mrv::CQtShell shell;
    mrv::CApp app;
    app.m_msg = &msg;
    app.m_shell = &shell;
    app.m_settingsPath = AppSettingFilePath();
    app.m_commandLine = mrv::CCommandLineParserUtil::Join(argc, argv);

    mrv::CMainFrame frame(app);
    shell.SetOwner(&frame);
    frame.SetGeneration(std::make_unique<mrv::CGenerationT<mrv::CTask>>(app));
    if (!frame.Init()) {
        return 0;
    }
    frame.show();
    return application.exec();
}
