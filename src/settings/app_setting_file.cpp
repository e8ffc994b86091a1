#include "settings/app_setting_file.h"

#include "common/message_ids.h"
#include "common/messages.h"
#include "platform/app_data.h"
#include "platform/path.h"
#include "settings/task_element.h"

#include <cerrno>
#include <sys/stat.h>
#include <vector>

std::string SettingsErrorQuestion(const CSimpleErr& err) {
    return my::FormatMessage(IDS_CONFIRM_SETTINGS_ERROR, std::vector<std::string>{err.m_text});
}

std::string NewerSettingsQuestion() {
    return my::FormatMessage(IDS_CONFIRM_NEWER_SETTINGS);
}

std::string AppSettingFilePath() {
    return my::AppDataFolder() + "Morvane32.config";
}

bool ReadAppSettingAtStart(CAppSetting& setting, const std::string& path,
                           CSettingsQuestions& questions) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 && errno == ENOENT) {
        return true;
    }
    if (!setting.LoadAppSetting(path) && !questions.ConfirmSettingsError(setting.GetErr())) {
        return false;
    }
    return setting.GetFileVersion() <= kProgramVersion || questions.ConfirmNewerSettings();
}

void WriteAppSettingAtQuit(CAppSetting& setting, const std::string& path) {
    const std::string folder = my::FolderOf(path);
    if (!folder.empty()) {
        my::CreateFolders(folder);
    }
    if (!setting.SaveAppSetting(path)) {
        throw my::CException(setting.GetErr());
    }
}
