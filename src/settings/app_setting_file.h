// The settings file around the application's start and quit: where it lives, reading it at
// start with the two questions the user may answer, and writing it at quit.
#pragma once

#include "common/error.h"
#include "settings/app_setting.h"

#include <string>

// The questions start-up may ask; the application shell answers them with message boxes
// (OK = true), tests with fixed answers.
class CSettingsQuestions {
public:
    virtual ~CSettingsQuestions() = default;
    // The settings file failed to load (IDS_CONFIRM_SETTINGS_ERROR with the failure's text): go on
    // with what was read and defaults for the rest?
    virtual bool ConfirmSettingsError(const CSimpleErr& err) = 0;
    // The settings file is of a newer version than this program (IDS_CONFIRM_NEWER_SETTINGS): go
    // on?
    virtual bool ConfirmNewerSettings() = 0;
};

// The texts of the two questions, for a shell that shows them.
std::string SettingsErrorQuestion(const CSimpleErr& err);
std::string NewerSettingsQuestion();

// "$XDG_CONFIG_HOME/Quenfell/Morvane/Morvane32.config" (or under ~/.config).
std::string AppSettingFilePath();

// Start-up: a missing file keeps the defaults; otherwise the file is read into `setting`, a
// failure asks ConfirmSettingsError, and a Version above the program's asks
// ConfirmNewerSettings. Returns false when the user declined; the application then quits
// without writing the settings file.
[[nodiscard]] bool ReadAppSettingAtStart(CAppSetting& setting, const std::string& path,
                                         CSettingsQuestions& questions);

// Quit: creates the file's folder and its parents (IDS_FOLDER_CREATE_FAILED on failure), then
// writes the file. Any failure is raised as a my::CException with the failure's record.
void WriteAppSettingAtQuit(CAppSetting& setting, const std::string& path);
