#include "common/error.h"

#include "common/message_ids.h"
#include "common/messages.h"
#include "common/text.h"

#include <cstring>

namespace my {

std::string ArgText(std::string_view s) { return std::string(s); }
std::string ArgText(std::u16string_view s) { return ToUtf8(s); }

std::string SystemErrorText(int code) {
    char buffer[256] = {};
    // The GNU strerror_r may return a static string instead of filling the buffer.
    const char* text = strerror_r(code, buffer, sizeof buffer);
    return text ? text : buffer;
}

CException::CException(std::uint32_t id) : CException(id, std::vector<std::string>{}) {}

CException::CException(std::uint32_t id, std::vector<std::string> args) {
    m_id = static_cast<std::int32_t>(id);
    m_text = FormatMessage(id, args);
}

CException::CException(const CSimpleErr& err) : CSimpleErr(err) {}

CException InternalError(std::string_view diagnostic) {
    return CException(IDS_INTERNAL_ERROR, std::string(diagnostic));
}

} // namespace my
