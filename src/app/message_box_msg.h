// CMessageBoxMsg: CMsg shown as message boxes owned by the active window.
#pragma once

#include "app/msg.h"

class CMessageBoxMsg : public CMsg {
public:
    void ShowError(const CSimpleErr& err) override;
    bool Show(const std::string& text, Style style) override;
    SaveAnswer AskSave(const std::string& text) override;
};
