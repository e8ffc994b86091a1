#include "settings/mru_list.h"

#include <algorithm>

void CMruList::Trim() {
    if (m_items.size() > m_maxSize) {
        m_items.resize(m_maxSize);
    }
}

void CMruList::Add(const std::string& item) {
    // Exact comparison: paths here are case-sensitive, so "A.strk" and "a.strk" are two files.
    const auto old = std::find(m_items.begin(), m_items.end(), item);
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
