// Most-recently-used lists behind the form's path and name combo boxes: most recent first,
// bounded by MaxSize, stored in the settings file unless SaveContents is off.
#pragma once

#include "settings/xml_document.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CMruList {
public:
    static constexpr std::uint32_t kDefaultMaxSize = 20;

    const std::vector<std::string>& GetItems() const { return m_items; }
    bool IsEmpty() const { return m_items.empty(); }
    void Clear() { m_items.clear(); }

    // The list holds at most this many items once an item was added or the list was read.
    std::uint32_t GetMaxSize() const { return m_maxSize; }
    void SetMaxSize(std::uint32_t maxSize) { m_maxSize = maxSize; }
    // When false, the items are neither written nor read.
    bool GetSaveContents() const { return m_saveContents; }
    void SetSaveContents(bool save) { m_saveContents = save; }

    // Puts item first, removing an equal older entry (compared exactly) and the oldest entries
    // beyond MaxSize.
    void Add(const std::string& item);

    // The list element: SaveContents, then Items with one Item per entry (only when
    // SaveContents is true), then MaxSize.
    [[nodiscard]] bool Write(CXmlDocument& doc, CXmlElement parent, std::string_view name) const;
    [[nodiscard]] bool Read(CXmlDocument& doc, CXmlElement parent, std::string_view name);

    friend bool operator==(const CMruList&, const CMruList&) = default;

protected:
    CMruList() = default;

private:
    void Trim();

    std::vector<std::string> m_items;
    std::uint32_t m_maxSize = kDefaultMaxSize;
    bool m_saveContents = true;
};

// Paths. Entries are compared exactly: file names differ by letter case on this system.
class CMruPathes : public CMruList {
public:
    CMruPathes() = default;
};

// Names: entries are compared exactly.
class CMruStrings : public CMruList {
public:
    CMruStrings() = default;
};
