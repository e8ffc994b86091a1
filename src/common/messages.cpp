#include "common/messages.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

// Contents of messages/en.txt and messages/ja.txt, embedded by the build.
extern const char* const kMorvaneMessagesEn;
extern const char* const kMorvaneMessagesJa;

namespace my {

namespace {

struct Entry {
    std::uint32_t id;
    std::string text;
};

// One table, sorted by ID, parsed from lines "ID<TAB>text" where the text may use \n, \t and \\.
// Empty lines and lines starting with '#' are skipped.
std::vector<Entry> ParseTable(std::string_view data) {
    std::vector<Entry> table;
    while (!data.empty()) {
        const auto end = data.find('\n');
        std::string_view line = data.substr(0, end);
        data = end == std::string_view::npos ? std::string_view{} : data.substr(end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto tab = line.find('\t');
        if (tab == std::string_view::npos) {
            continue;
        }
        Entry entry{static_cast<std::uint32_t>(std::strtoul(std::string(line.substr(0, tab)).c_str(),
                                                           nullptr, 10)),
                    {}};
        const std::string_view raw = line.substr(tab + 1);
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size()) {
                const char next = raw[++i];
                entry.text += next == 'n' ? '\n' : next == 't' ? '\t' : next;
            } else {
                entry.text += raw[i];
            }
        }
        table.push_back(std::move(entry));
    }
    std::stable_sort(table.begin(), table.end(),
                     [](const Entry& a, const Entry& b) { return a.id < b.id; });
    return table;
}

const std::vector<Entry>& Table(Language language) {
    static const std::vector<Entry> english = ParseTable(kMorvaneMessagesEn);
    static const std::vector<Entry> japanese = ParseTable(kMorvaneMessagesJa);
    return language == Language::Japanese ? japanese : english;
}

Language LanguageFromEnvironment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return std::string_view(value).starts_with("ja") ? Language::Japanese
                                                              : Language::English;
        }
    }
    return Language::English;
}

std::atomic<int>& LanguageSetting() {
    static std::atomic<int> language{static_cast<int>(LanguageFromEnvironment())};
    return language;
}

} // namespace

Language MessageLanguage() { return static_cast<Language>(LanguageSetting().load()); }

void SetMessageLanguage(Language language) { LanguageSetting() = static_cast<int>(language); }

bool IsApplicationMessage(std::uint32_t id) {
    return (id >= 100 && id <= 216) || (id >= 10000 && id <= 10197);
}

std::string_view MessageText(std::uint32_t id, Language language) {
    const auto& table = Table(language);
    const auto it = std::lower_bound(table.begin(), table.end(), id,
                                     [](const Entry& e, std::uint32_t v) { return e.id < v; });
    if (it == table.end() || it->id != id) {
        return {};
    }
    return it->text;
}

std::string_view MessageText(std::uint32_t id) {
    const Language language = IsApplicationMessage(id) ? Language::Japanese : MessageLanguage();
    std::string_view text = MessageText(id, language);
    if (text.empty()) {
        text = MessageText(id, language == Language::English ? Language::Japanese
                                                              : Language::English);
    }
    return text;
}

std::string FillPlaceholders(std::string_view text, std::span<const std::string> args) {
    std::string out;
    out.reserve(text.size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's') {
            if (next < args.size()) {
                out += args[next];
            }
            ++next;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string FormatMessage(std::uint32_t id, std::span<const std::string> args) {
    const std::string_view text = MessageText(id);
    if (text.empty()) {
        std::string out = "Message " + std::to_string(id);
        for (const auto& arg : args) {
            out += "\n" + arg;
        }
        return out;
    }
    return FillPlaceholders(text, args);
}

} // namespace my
