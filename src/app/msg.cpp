#include "app/msg.h"

#include "common/message_ids.h"
#include "common/messages.h"

#include <algorithm>
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
    const std::size_t listed = std::min(files.size(), kOverwriteListed);
    for (std::size_t i = 0; i < listed; ++i) {
        names += files[i] + "\n";
    }
    if (files.size() > listed) {
        const std::vector<std::string> more{std::to_string(files.size() - listed)};
        names += my::FormatMessage(IDS_OVERWRITE_MORE_FILES, more) + "\n";
    }
    if (files.size() == 1) {
        const std::vector<std::string> args{names};
        return Show(my::FormatMessage(IDS_CONFIRM_OVERWRITE_ONE_FILE, args), Question);
    }
    const std::vector<std::string> args{std::to_string(files.size()), names};
    return Show(my::FormatMessage(IDS_CONFIRM_OVERWRITE_FILES, args), Question);
}

CMsg::SaveAnswer CMsg::ConfirmSaveChanges(const std::string& projectName) {
    const std::vector<std::string> args{projectName};
    return AskSave(my::FormatMessage(IDS_CONFIRM_SAVE_CHANGES, args));
}

bool CMsg::ConfirmSettingsError(const CSimpleErr& err) {
    return Show(SettingsErrorQuestion(err), Question);
}

bool CMsg::ConfirmNewerSettings() {
    return Show(NewerSettingsQuestion(), Question);
}
