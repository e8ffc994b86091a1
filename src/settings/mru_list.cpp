#include "settings/mru_list.h"

#include <algorithm>
#include <cwctype>

namespace {

// The next character of UTF-8 text; a byte that starts no valid sequence stands for itself,
// kept apart from every character so that two different malformed names never compare equal.
char32_t NextChar(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    const int length = lead < 0x80         ? 1
                       : (lead >> 5) == 6  ? 2
                       : (lead >> 4) == 14 ? 3
                       : (lead >> 3) == 30 ? 4
                                           : 0;
    if (length == 0 || pos + length > text.size()) {
        return 0x110000 + byte(pos++);
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            return 0x110000 + byte(pos++);
        }
        c = (c << 6) | (byte(pos + i) & 0x3F);
    }
    pos += static_cast<std::size_t>(length);
    return c;
}

char32_t Lower(char32_t c) {
    return c < 0x110000 ? static_cast<char32_t>(std::towlower(static_cast<std::wint_t>(c))) : c;
}

// Equal when every character is equal after lower-casing by the current locale.
bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t k = 0;
    while (i < a.size() && k < b.size()) {
        if (Lower(NextChar(a, i)) != Lower(NextChar(b, k))) {
            return false;
        }
    }
    return i == a.size() && k == b.size();
}

} // namespace

bool CMruList::IsSame(const std::string& a, const std::string& b) const {
    return a == b || (m_ignoreCase && EqualIgnoringCase(a, b));
}

void CMruList::Trim() {
    if (m_items.size() > m_maxSize) {
        m_items.resize(m_maxSize);
    }
}

void CMruList::Add(const std::string& item) {
    const auto old = std::find_if(m_items.begin(), m_items.end(),
                                  [&](const std::string& s) { return IsSame(s, item); });
    if (old != m_items.end()) {
        m_items.erase(old);
    }
    m_items.insert(m_items.begin(), item);
    Trim();
}

bool CMruList::Write(CXmlDocument& doc, CXmlElement parent, std::string_view name) const {
    CXmlElement list;
    if (!doc.CreateElement(name, list) || !doc.WriteBool(list, "SaveContents", m_saveContents)) {
        return false;
    }
    if (m_saveContents) {
        CXmlElement items;
        if (!doc.CreateElement("Items", items)) {
            return false;
        }
        for (const std::string& item : m_items) {
            if (!doc.WriteText(items, "Item", item)) {
                return false;
            }
        }
        if (!doc.AppendChild(list, items)) {
            return false;
        }
    }
    return doc.WriteSize(list, "MaxSize", m_maxSize) && doc.AppendChild(parent, list);
}

bool CMruList::Read(CXmlDocument& doc, CXmlElement parent, std::string_view name) {
    CXmlElement list;
    if (!doc.SelectChild(parent, name, list) ||
        !doc.ReadBool(list, "SaveContents", m_saveContents)) {
        return false;
    }
    if (m_saveContents) {
        CXmlElement items;
        std::vector<CXmlElement> elements;
        if (!doc.SelectChild(list, "Items", items) ||
            !doc.SelectChildren(items, "Item", elements)) {
            return false;
        }
        m_items.clear();
        for (const CXmlElement& element : elements) {
            std::string text;
            if (!doc.ReadText(element, "", text)) {
                return false;
            }
            m_items.push_back(std::move(text));
        }
    }
    if (!doc.ReadSize(list, "MaxSize", m_maxSize)) {
        return false;
    }
    Trim();
    return true;
}
