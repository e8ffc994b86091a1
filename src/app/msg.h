// CMsg: the errors and questions the application puts to the user. CMessageBoxMsg shows them
// as message boxes; tests answer them with fixed replies.
#pragma once

#include "common/error.h"
#include "settings/app_setting_file.h"

#include <cstddef>
#include <string>
#include <vector>

class CMsg : public CSettingsQuestions {
public:
    enum Style { Information, Warning, Error, Question };
    enum class SaveAnswer { Save, Discard, Cancel };

    virtual void ShowError(const CSimpleErr& err) = 0;
    // Shows the text; a Question asks OK / Cancel and answers true for OK.
    virtual bool Show(const std::string& text, Style style) = 0;
    // Asks the text with the three answers Save, Discard and Cancel.
    virtual SaveAnswer AskSave(const std::string& text) = 0;

    // IDS_CONFIRM_OVERWRITE with the path; true for OK.
    bool ConfirmOverwrite(const std::string& path);
    // True at once when no file exists at path, else ConfirmOverwrite.
    bool ConfirmOverwriteIfExists(const std::string& path);
    // The count and the first kOverwriteListed names (IDS_CONFIRM_OVERWRITE_FILES, or
    // IDS_CONFIRM_OVERWRITE_ONE_FILE for one file); a longer list ends with "... and N more", so
    // the question always fits on the screen.
    bool ConfirmOverwriteFiles(const std::vector<std::string>& files);
    static constexpr std::size_t kOverwriteListed = 10;
    // Whether to save the changes of the open project (its file name, or "Untitled").
    SaveAnswer ConfirmSaveChanges(const std::string& projectName);
    bool ConfirmSettingsError(const CSimpleErr& err) override;
    bool ConfirmNewerSettings() override;
};
