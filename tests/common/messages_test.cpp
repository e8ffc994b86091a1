// Checks of the string table as a whole: the two languages hold the same IDs, every named ID has
// its texts, the placeholders agree, and the language rule picks the right table.
#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The texts of messages/en.txt and messages/ja.txt as the build embeds them.
extern const char* const kMorvaneMessagesEn;
extern const char* const kMorvaneMessagesJa;

namespace {

struct NamedId {
    const char* name;
    std::uint32_t id;
};

constexpr NamedId kNamedIds[] = {
#define MORVANE_MESSAGE(name, id) {#name, id},
#include "common/message_ids.h"
};

struct Line {
    std::uint32_t id;
    std::string text; // as written in the file, escapes not yet resolved
};

// Reads a table the way the loader does, but keeps every line that is not "digits<TAB>text" as a
// failure instead of skipping it, since a skipped line is a message that silently disappears.
std::vector<Line> ReadTable(std::string_view data, const char* language) {
    std::vector<Line> lines;
    while (!data.empty()) {
        const auto end = data.find('\n');
        const std::string_view line = data.substr(0, end);
        data = end == std::string_view::npos ? std::string_view{} : data.substr(end + 1);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto tab = line.find('\t');
        const std::string_view digits = line.substr(0, tab);
        const bool wellFormed = tab != std::string_view::npos && !digits.empty() &&
                                digits.size() <= 9 &&
                                digits.find_first_not_of("0123456789") == std::string_view::npos;
        EXPECT_TRUE(wellFormed) << language << " table, malformed line: " << line;
        if (wellFormed) {
            lines.push_back({static_cast<std::uint32_t>(std::stoul(std::string(digits))),
                             std::string(line.substr(tab + 1))});
        }
    }
    return lines;
}

std::map<std::uint32_t, std::string> ReadIds(std::string_view data, const char* language) {
    std::map<std::uint32_t, std::string> byId;
    std::uint32_t previous = 0;
    for (const auto& [id, text] : ReadTable(data, language)) {
        EXPECT_GT(id, previous) << language << " table: " << id << " is out of order or repeated";
        EXPECT_FALSE(text.empty()) << language << " table: " << id << " has no text";
        previous = id;
        byId.emplace(id, text);
    }
    return byId;
}

int CountPlaceholders(std::string_view text) {
    int count = 0;
    for (auto at = text.find("%s"); at != std::string_view::npos; at = text.find("%s", at + 2)) {
        ++count;
    }
    return count;
}

TEST(MessageTable, BothLanguagesHoldTheSameSortedIds) {
    const auto english = ReadIds(kMorvaneMessagesEn, "English");
    const auto japanese = ReadIds(kMorvaneMessagesJa, "Japanese");
    for (const auto& entry : english) {
        EXPECT_TRUE(japanese.contains(entry.first)) << entry.first << " has no Japanese text";
    }
    for (const auto& entry : japanese) {
        EXPECT_TRUE(english.contains(entry.first)) << entry.first << " has no English text";
    }
}

TEST(MessageTable, NamedIdsAndTableIdsMatchOneToOne) {
    const auto english = ReadIds(kMorvaneMessagesEn, "English");
    std::map<std::uint32_t, std::string> names;
    for (const auto& [name, id] : kNamedIds) {
        const auto [it, added] = names.emplace(id, name);
        EXPECT_TRUE(added) << name << " and " << it->second << " both name " << id;
        EXPECT_TRUE(english.contains(id)) << name << " (" << id << ") is not in the tables";
        EXPECT_FALSE(my::MessageText(id, my::Language::English).empty()) << name;
        EXPECT_FALSE(my::MessageText(id, my::Language::Japanese).empty()) << name;
    }
    for (const auto& entry : english) {
        EXPECT_TRUE(names.contains(entry.first)) << entry.first << " has no IDS_ name";
    }
}

TEST(MessageTable, PlaceholderCountsAgreeBetweenLanguages) {
    // The few messages whose two texts show different arguments on purpose: the Japanese texts
    // of the node queries add the node path on a line of its own.
    const std::map<std::uint32_t, std::pair<int, int>> differing = {
        {IDS_XML_SELECT_NODE_FAILED, {1, 2}},
        {IDS_XML_SELECT_NODES_FAILED, {1, 2}},
        {IDS_XML_NODE_NOT_FOUND, {1, 2}},
        {IDS_XML_NODES_NOT_FOUND, {1, 2}},
    };
    const auto english = ReadIds(kMorvaneMessagesEn, "English");
    const auto japanese = ReadIds(kMorvaneMessagesJa, "Japanese");
    for (const auto& [id, text] : english) {
        const auto other = japanese.find(id);
        if (other == japanese.end()) {
            continue; // reported by the ID comparison
        }
        const std::pair<int, int> counts{CountPlaceholders(text), CountPlaceholders(other->second)};
        const auto expected = differing.find(id);
        if (expected != differing.end()) {
            EXPECT_EQ(counts, expected->second) << id;
        } else {
            EXPECT_EQ(counts.first, counts.second) << id << ": " << text << " / " << other->second;
        }
    }
}

class MessageLanguage : public ::testing::Test {
protected:
    void TearDown() override { my::SetMessageLanguage(m_saved); }

private:
    my::Language m_saved = my::MessageLanguage();
};

TEST_F(MessageLanguage, CLocaleShowsEnglish) {
    const char* locale = std::getenv("LC_ALL");
    if (!locale || std::string_view(locale) != "C") {
        GTEST_SKIP() << "run under LC_ALL=C (as ctest does) to check the default language";
    }
    EXPECT_EQ(my::MessageLanguage(), my::Language::English);
    EXPECT_EQ(my::CException(IDS_CLASS_ID_UNKNOWN, "32773").m_text, "Unknown class ID\n\n32773");
}

TEST_F(MessageLanguage, JapaneseSwitchesPlatformMessagesOnly) {
    my::SetMessageLanguage(my::Language::English);
    EXPECT_EQ(my::CException(IDS_CLASS_ID_UNKNOWN, 32773).m_text, "Unknown class ID\n\n32773");
    EXPECT_EQ(my::FormatMessage(IDS_UNKNOWN_UNIT), "不明な単位が使用されています");
    EXPECT_EQ(my::FormatMessage(IDS_ABORT_CAPTION), "中断");

    my::SetMessageLanguage(my::Language::Japanese);
    EXPECT_EQ(my::CException(IDS_CLASS_ID_UNKNOWN, 32773).m_text, "不明なクラスIDです\n\n32773");
    EXPECT_EQ(my::FormatMessage(IDS_UNKNOWN_UNIT), "不明な単位が使用されています");
}

} // namespace
