// The typed readers and writers of CXmlDocument: each formats its value and writes it as the
// text of one element, or reads that text back and converts it.
#include "common/message_ids.h"
#include "settings/xml_document.h"
#include "settings/xml_values.h"

#include <array>
#include <cmath>

template <class T>
bool CXmlDocument::ReadParsed(CXmlElement parent, std::string_view name, std::uint32_t failId,
                              bool (*parse)(std::string_view, T&), T& value) {
    std::string text;
    if (!ReadToken(parent, name, text)) {
        return false;
    }
    T parsed{};
    if (!parse(text, parsed)) {
        return FailValue(failId, text);
    }
    value = parsed;
    return true;
}

bool CXmlDocument::WriteBool(CXmlElement parent, std::string_view name, bool value) {
    return WriteText(parent, name, value ? "true" : "false");
}

bool CXmlDocument::ReadBool(CXmlElement parent, std::string_view name, bool& value) {
    std::string text;
    if (!ReadToken(parent, name, text)) {
        return false;
    }
    if (text != "true" && text != "false") {
        return FailUnspecified(IDS_XML_BOOL_INVALID);
    }
    value = text == "true";
    return true;
}

bool CXmlDocument::WriteInt(CXmlElement parent, std::string_view name, std::int32_t value) {
    return WriteText(parent, name, std::to_string(value));
}

bool CXmlDocument::ReadInt(CXmlElement parent, std::string_view name, std::int32_t& value) {
    return ReadParsed(parent, name, IDS_XML_INT_INVALID, &xmlvalue::ParseInt32, value);
}

bool CXmlDocument::WriteLong(CXmlElement parent, std::string_view name, std::int32_t value) {
    return WriteInt(parent, name, value);
}

bool CXmlDocument::ReadLong(CXmlElement parent, std::string_view name, std::int32_t& value) {
    return ReadParsed(parent, name, IDS_XML_LONG_INVALID, &xmlvalue::ParseInt32, value);
}

bool CXmlDocument::WriteSize(CXmlElement parent, std::string_view name, std::uint32_t value) {
    return WriteText(parent, name, std::to_string(value));
}

bool CXmlDocument::ReadSize(CXmlElement parent, std::string_view name, std::uint32_t& value) {
    return ReadParsed(parent, name, IDS_XML_SIZE_INVALID, &xmlvalue::ParseUInt32, value);
}

bool CXmlDocument::WriteDouble(CXmlElement parent, std::string_view name, double value) {
    return WriteText(parent, name, xmlvalue::FormatDouble(value));
}

bool CXmlDocument::ReadDouble(CXmlElement parent, std::string_view name, double& value) {
    std::string text;
    if (!ReadToken(parent, name, text)) {
        return false;
    }
    const double parsed = xmlvalue::ParseLeadingDouble(text);
    if (!std::isfinite(parsed)) {
        // Infinities and NaNs pass every later range check unnoticed or fail far from here.
        return FailValue(IDS_XML_NUMBER_NOT_FINITE,
                         std::vector<std::string>{text, ElementPath(parent, name)});
    }
    value = parsed;
    return true;
}

bool CXmlDocument::WriteVersion(CXmlElement parent, std::string_view name, std::uint32_t version) {
    return WriteText(parent, name, xmlvalue::FormatVersion(version));
}

bool CXmlDocument::ReadVersion(CXmlElement parent, std::string_view name, std::uint32_t& version) {
    if (!ReadParsed(parent, name, IDS_XML_VERSION_INVALID, &xmlvalue::ParseVersion, m_version)) {
        return false;
    }
    version = m_version;
    return true;
}

bool CXmlDocument::WriteRect(CXmlElement parent, std::string_view name, const CRect& rect) {
    CXmlElement e;
    return BeginComposite(parent, name, e) && WriteLong(e, "left", rect.left) &&
           WriteLong(e, "top", rect.top) && WriteLong(e, "right", rect.right) &&
           WriteLong(e, "bottom", rect.bottom) && EndComposite(parent, e);
}

bool CXmlDocument::ReadRect(CXmlElement parent, std::string_view name, CRect& rect) {
    CXmlElement e;
    CRect r;
    if (!SelectChild(parent, name, e) || !ReadLong(e, "left", r.left) ||
        !ReadLong(e, "top", r.top) || !ReadLong(e, "right", r.right) ||
        !ReadLong(e, "bottom", r.bottom)) {
        return false;
    }
    rect = r;
    return true;
}

bool CXmlDocument::WritePlacement(CXmlElement parent, std::string_view name,
                                  const CWindowPlacement& wp) {
    CXmlElement e;
    return BeginComposite(parent, name, e) && WriteBool(e, "FullScreen", wp.m_fullScreen) &&
           WriteBool(e, "Maximized", wp.m_maximized) &&
           WriteRect(e, "NormalBounds", wp.m_normalBounds) && EndComposite(parent, e);
}

bool CXmlDocument::ReadPlacement(CXmlElement parent, std::string_view name, CWindowPlacement& wp) {
    CXmlElement e;
    CWindowPlacement read;
    if (!SelectChild(parent, name, e) || !ReadBool(e, "FullScreen", read.m_fullScreen) ||
        !ReadBool(e, "Maximized", read.m_maximized) ||
        !ReadRect(e, "NormalBounds", read.m_normalBounds)) {
        return false;
    }
    wp = read;
    return true;
}

bool CXmlDocument::WriteStringPair(CXmlElement parent, std::string_view name,
                                   const CStringPair& pair) {
    CXmlElement e;
    return BeginComposite(parent, name, e) && WriteText(e, "first", pair.first) &&
           WriteText(e, "second", pair.second) && EndComposite(parent, e);
}

bool CXmlDocument::ReadStringPair(CXmlElement parent, std::string_view name, CStringPair& pair) {
    CXmlElement e;
    CStringPair read;
    if (!SelectChild(parent, name, e) || !ReadText(e, "first", read.first) ||
        !ReadText(e, "second", read.second)) {
        return false;
    }
    pair = std::move(read);
    return true;
}

bool CXmlDocument::WriteDoubles(CXmlElement parent, std::string_view name,
                                std::span<const double> values) {
    CXmlElement e;
    if (!BeginComposite(parent, name, e)) {
        return false;
    }
    for (const double value : values) {
        if (!WriteDouble(e, "value", value)) {
            return false;
        }
    }
    return EndComposite(parent, e);
}

bool CXmlDocument::ReadDoubles(CXmlElement parent, std::string_view name,
                               std::span<double> values) {
    CXmlElement e;
    std::vector<CXmlElement> items;
    if (!SelectChild(parent, name, e) || !SelectChildren(e, "value", items)) {
        return false;
    }
    if (items.size() != values.size()) {
        return FailValue(IDS_XML_NODE_COUNT_INVALID, std::to_string(items.size()));
    }
    std::vector<double> read(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!ReadDouble(items[i], "", read[i])) {
            return false;
        }
    }
    std::copy(read.begin(), read.end(), values.begin());
    return true;
}

bool CXmlDocument::WriteEnum(CXmlElement parent, std::string_view name,
                             const mrv::CNameTable& names, std::int32_t value) {
    try {
        return WriteText(parent, name, names.ToName(value));
    } catch (const my::CException& e) {
        return FailException(e);
    }
}

bool CXmlDocument::ReadEnum(CXmlElement parent, std::string_view name, const mrv::CNameTable& names,
                            std::int32_t& value) {
    std::string text;
    if (!ReadToken(parent, name, text)) {
        return false;
    }
    try {
        value = names.FromName(text);
        return true;
    } catch (const my::CException& e) {
        return FailException(e);
    }
}

bool CXmlDocument::WriteFlags(CXmlElement parent, std::string_view name,
                              const mrv::CNameTable& names, std::uint32_t flags) {
    try {
        return WriteText(parent, name, names.FlagsToText(flags));
    } catch (const my::CException& e) {
        return FailException(e);
    }
}

bool CXmlDocument::ReadFlags(CXmlElement parent, std::string_view name,
                             const mrv::CNameTable& names, std::uint32_t& flags) {
    std::string text;
    if (!ReadToken(parent, name, text)) {
        return false;
    }
    try {
        flags = names.FlagsFromText(text);
        return true;
    } catch (const my::CException& e) {
        return FailException(e);
    }
}

bool CXmlDocument::WritePath(CXmlElement parent, std::string_view name, const std::string& path) {
    return WriteText(parent, name, xmlvalue::PathToStored(m_baseFolder, path));
}

bool CXmlDocument::ReadPath(CXmlElement parent, std::string_view name, std::string& path) {
    std::string text;
    if (!ReadText(parent, name, text)) {
        return false;
    }
    path = xmlvalue::PathFromStored(m_baseFolder, text);
    return true;
}
