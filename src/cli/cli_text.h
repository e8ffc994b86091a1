// The batch command's own texts (usage, refusals) in the message language: Japanese when the
// locale asks for it, else English, like the platform messages of the string table.
#pragma once

#include "common/messages.h"

#include <string>
#include <string_view>

namespace cli {

inline std::string Say(std::string_view english, std::string_view japanese) {
    return std::string(my::MessageLanguage() == my::Language::Japanese ? japanese : english);
}

} // namespace cli
