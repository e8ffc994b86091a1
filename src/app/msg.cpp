#include "app/msg.h"

#include "common/message_ids.h"
#include "common/messages.h"

#include <filesystem>
#include <system_error>

bool CMsg::ConfirmOverwrite(const std::string& path) {
    const std::vector<std::string> args{path};
    return Show(my::FormatMessage(IDS_CONFIRM_OVERWRITE, args), Question);
}

bool CMsg::ConfirmOverwriteIfExists(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return true;
    }
    return ConfirmOverwrite(path);
}

bool CMsg::ConfirmOverwriteFiles(const std::vector<std::string>& files) {
    std::string names;
    for (const std::string& file : files) {
        names += file + "\n";
    }
    const std::vector<std::string> args{std::to_string(files.size()), names};
    return Show(my::FormatMessage(IDS_CONFIRM_OVERWRITE_FILES, args), Question);
}

bool CMsg::ConfirmSettingsError(const CSimpleErr& err) {
    return Show(SettingsErrorQuestion(err), Question);
}

bool CMsg::ConfirmNewerSettings() {
    return Show(NewerSettingsQuestion(), Question);
}
