// The batch command's own texts (usage, refusals, progress): messages of the string table in
// the message language, Japanese when the locale asks for it, else English.
#pragma once

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

// The text of message id with its %s filled by args in order.
template <class... A> std::string Say(std::uint32_t id, const A&... args) {
    return my::FormatMessage(id, std::vector<std::string>{my::ArgText(args)...});
}

} // namespace cli
