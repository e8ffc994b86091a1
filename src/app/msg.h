// CMsg: the errors and questions the application puts to the user. CMessageBoxMsg shows them
// as message boxes; tests answer them with fixed replies.
#pragma once

#include "common/error.h"
#include "settings/app_setting_file.h"

#include <string>
#include <vector>

class CMsg : public CSettingsQuestions {
public:
    enum Style { Information, Warning, Error, Question };

    virtual void ShowError(const CSimpleErr& err) = 0;
    // Shows the text; a Question asks OK / Cancel and answers true for OK.
    virtual bool Show(const std::string& text, Style style) = 0;

    // IDS_CONFIRM_OVERWRITE with the path; true for OK.
    bool ConfirmOverwrite(const std::string& path);
    // True at once when no file exists at path, else ConfirmOverwrite.
    bool ConfirmOverwriteIfExists(const std::string& path);
    // IDS_CONFIRM_OVERWRITE_FILES with the count and the names.
    bool ConfirmOverwriteFiles(const std::vector<std::string>& files);
    bool ConfirmSettingsError(const CSimpleErr& err) override;
    bool ConfirmNewerSettings() override;
};
