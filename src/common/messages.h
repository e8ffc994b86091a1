// The string table: message texts by ID in English and Japanese, and filling of their %s.
// The texts live in messages/en.txt and messages/ja.txt, compiled into the program.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace my {

enum class Language { English, Japanese };

// The language of platform messages: Japanese when the first of LC_ALL, LC_MESSAGES, LANG that
// is set (and not empty) starts with "ja", else English. Read once, on first use.
Language MessageLanguage();
// Overrides the language (tests, and front ends that choose it themselves).
void SetMessageLanguage(Language language);

// True for the application's own messages, which exist and are shown in Japanese only.
bool IsApplicationMessage(std::uint32_t id);

// The raw text of a message in the given language; empty view when the table has no such ID.
std::string_view MessageText(std::uint32_t id, Language language);
// The raw text of a message in the current language (Japanese for application messages).
std::string_view MessageText(std::uint32_t id);

// Fills each "%s" of the message's text with the next argument, in order; placeholders without
// an argument become empty. An ID missing from both tables yields "Message <id>" and the arguments.
std::string FormatMessage(std::uint32_t id, std::span<const std::string> args = {});
// The same for an explicit text (used for texts that are built, not looked up).
std::string FillPlaceholders(std::string_view text, std::span<const std::string> args);

} // namespace my
