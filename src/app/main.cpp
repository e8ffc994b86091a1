// The desktop application: answers --help and --version without a window, otherwise builds the
// application objects, runs start-up and the window.
#include "app/command_line.h"
#include "app/generation.h"
#include "app/main_frame.h"
#include "app/message_box_msg.h"
#include "app/qt_shell.h"
#include "app/translations.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "engine/task.h"
#include "platform/app_data.h"
#include "settings/app_setting_file.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <iostream>
#include <memory>

namespace {

// The icon of the desktop's theme; without one (a program not installed where the desktop looks),
// the PNG sizes beside the program: <prefix>/share/icons, which the build folder mirrors.
QIcon ApplicationIcon() {
    QIcon icon = QIcon::fromTheme(QStringLiteral("morvane"));
    if (!icon.isNull()) {
        return icon;
    }
    const QString icons =
        QString::fromStdString(my::ProgramPrefix(my::ProgramPath())) + "/share/icons/hicolor/";
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString file = icons + QStringLiteral("%1x%1/apps/morvane.png").arg(size);
        if (QFileInfo::exists(file)) {
            icon.addFile(file, QSize(size, size));
        }
    }
    return icon;
}

} // namespace

int main(int argc, char** argv) {
    switch (mrv::EarlyActionOf(argc, argv)) {
    case mrv::EarlyAction::Help:
        std::cout << mrv::DesktopUsageText(my::FindHelpPage(my::MessageText(IDS_URL_USAGE)))
                  << "\n";
        return 0;
    case mrv::EarlyAction::Version:
        std::cout << mrv::DesktopVersionText() << "\n";
        return 0;
    case mrv::EarlyAction::Run:
        break;
    }

    QApplication application(argc, argv);
    // The desktop entry's name lets the window system match the window to the menu entry's icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("morvane"));
    QApplication::setWindowIcon(ApplicationIcon());
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
