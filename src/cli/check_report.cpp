#include "cli/check_report.h"

#include "common/message_ids.h"
#include "common/messages.h"
#include "common/text.h"

#include <cstdio>
#include <ostream>

namespace cli {

namespace {

std::string Message(std::uint32_t id, std::vector<std::string> args = {}) {
    return my::FormatMessage(id, args);
}

// A JSON string, or null for a side without a figure.
std::string JsonSide(const stroke::CFigure* figure, const std::string& text) {
    return figure == nullptr ? "null" : JsonString(text);
}

std::string JsonEntry(std::uint32_t id, std::string_view text, const std::string& startPosition,
                      const std::string& startName, const std::string& endPosition,
                      const std::string& endName) {
    return "{\"id\": " + std::to_string(id) + ", \"text\": " + JsonString(text) +
           ", \"startPosition\": " + startPosition + ", \"startName\": " + startName +
           ", \"endPosition\": " + endPosition + ", \"endName\": " + endName + "}";
}

} // namespace

std::string JsonString(std::string_view text) {
    // Through UTF-16 and back, so that bytes that are not UTF-8 become U+FFFD; what remains
    // is valid UTF-8, whose bytes from 0x80 on are copied as they are.
    const std::string utf8 = my::ToUtf8(my::ToUtf16(text));
    std::string out = "\"";
    out.reserve(utf8.size() + 2);
    for (const char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

std::string FormatCheckText(const mrv::CPairingCheck& check) {
    std::string text;
    for (const mrv::CPairDifference& d : check.m_differences) {
        text += d.m_message.m_text + "\n";
        text += mrv::DifferenceSideText(d, true) + "\n";
        text += mrv::DifferenceSideText(d, false) + "\n\n";
    }
    if (check.m_more) {
        text += Message(IDS_PAIR_CHECK_MORE) + "\n\n";
    }
    return text + mrv::CheckCountText(check) + "\n";
}

std::string FormatCheckJson(const mrv::CPairingCheck& check) {
    std::string json = "[";
    const char* separator = "\n";
    for (const mrv::CPairDifference& d : check.m_differences) {
        json += separator;
        json +=
            "  " + JsonEntry(static_cast<std::uint32_t>(d.m_message.m_id), d.m_message.m_text,
                             JsonSide(d.m_start, d.StartPosition()),
                             JsonSide(d.m_start, d.StartName()), JsonSide(d.m_end, d.EndPosition()),
                             JsonSide(d.m_end, d.EndName()));
        separator = ",\n";
    }
    if (check.m_more) {
        json += separator;
        json += "  " + JsonEntry(IDS_PAIR_CHECK_MORE, Message(IDS_PAIR_CHECK_MORE), "null", "null",
                                 "null", "null");
    }
    return json + (json.size() > 1 ? "\n]\n" : "]\n");
}

int RunCheck(const mrv::CTaskSetting& task, bool json, CConsole& console,
             const CTerminable& terminator) {
    mrv::CPairingCheck check;
    try {
        check = mrv::CheckPairingOf(task, &terminator);
    } catch (const my::CException& e) {
        console.m_err << e.m_text << "\n";
        return terminator.IsTerminating() ? kExitInterrupted : kExitFailed;
    }
    console.m_out << (json ? FormatCheckJson(check) : FormatCheckText(check)) << std::flush;
    return check.Animates() ? kExitOk : kExitFailed;
}

} // namespace cli
