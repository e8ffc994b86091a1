// CXmlDocument: the one way the settings and project files are written and read. It keeps the
// document in memory, reads and writes typed values addressed as (parent element, child name),
// makes paths relative to a base folder on writing and absolute again on reading, and keeps the
// first failure in its error record instead of throwing.
#pragma once

#include "common/error.h"
#include "engine/task_setting_names.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pugi {
class xml_document;
class xml_node;
struct xml_node_struct;
} // namespace pugi

// A handle to one element of a CXmlDocument (or its document node); valid while the document
// lives. The default handle refers to nothing.
class CXmlElement {
public:
    CXmlElement() = default;
    explicit operator bool() const { return m_node != nullptr; }
    friend bool operator==(const CXmlElement&, const CXmlElement&) = default;

private:
    friend class CXmlDocument;
    explicit CXmlElement(pugi::xml_node_struct* node) : m_node(node) {}
    pugi::xml_node_struct* m_node = nullptr;
};

// A screen rectangle in pixels; empty when it has no area.
struct CRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool IsEmpty() const { return right <= left || bottom <= top; }
    friend bool operator==(const CRect&, const CRect&) = default;
};

// The main window's placement as the settings file keeps it.
struct CWindowPlacement {
    bool m_fullScreen = false;
    bool m_maximized = false;
    CRect m_normalBounds; // the normal-state rectangle; empty = not known yet
    friend bool operator==(const CWindowPlacement&, const CWindowPlacement&) = default;
};

// A version a.b.c.d packed with a in the top byte.
constexpr std::uint32_t MakeVersion(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                                    std::uint32_t d) {
    return (a << 24) | (b << 16) | (c << 8) | d;
}

class CXmlDocument : public CHasErr<CSimpleErr> {
public:
    // Settings and project files are small; anything larger is refused before it is parsed.
    static constexpr std::size_t kMaxFileSize = 4u << 20;

    CXmlDocument();
    ~CXmlDocument();
    CXmlDocument(const CXmlDocument&) = delete;
    CXmlDocument& operator=(const CXmlDocument&) = delete;

    // The folder relative paths are written against and read from; empty = paths as they stand.
    const std::string& GetBaseFolder() const { return m_baseFolder; }
    void SetBaseFolder(std::string folder) { m_baseFolder = std::move(folder); }
    // The version read by the last ReadVersion; 0 before.
    std::uint32_t GetVersion() const { return m_version; }

    // Document operations. Each returns false and fills the error record on failure.
    // IDS_XML_TEMPLATE_PARSE_FAILED when the text does not parse.
    [[nodiscard]] bool Create(std::string_view text);
    // IDS_XML_LOAD_FAILED (description, path).
    [[nodiscard]] bool Load(const std::string& path);
    // IDS_XML_SAVE_FAILED (description and path); the old file survives.
    [[nodiscard]] bool Save(const std::string& path);
    // IDS_XML_NODE_NOT_FOUND (name).
    [[nodiscard]] bool SelectRoot(std::string_view name, CXmlElement& root);

    // Element operations. An empty name means the parent itself.
    [[nodiscard]] bool SelectChild(CXmlElement parent, std::string_view name, CXmlElement& child);
    [[nodiscard]] bool SelectChildren(CXmlElement parent, std::string_view name,
                                      std::vector<CXmlElement>& children);
    [[nodiscard]] bool CreateElement(std::string_view name, CXmlElement& element);
    [[nodiscard]] bool AppendChild(CXmlElement parent, CXmlElement child);
    [[nodiscard]] bool WriteText(CXmlElement parent, std::string_view name, std::string_view text);
    [[nodiscard]] bool ReadText(CXmlElement parent, std::string_view name, std::string& text);

    // Typed values; a reader stores its result only when the value was read and converted.
    [[nodiscard]] bool WriteBool(CXmlElement parent, std::string_view name, bool value);
    [[nodiscard]] bool ReadBool(CXmlElement parent, std::string_view name, bool& value);
    [[nodiscard]] bool WriteInt(CXmlElement parent, std::string_view name, std::int32_t value);
    [[nodiscard]] bool ReadInt(CXmlElement parent, std::string_view name, std::int32_t& value);
    // Rectangle sides: the same text form, their own failure message (IDS_XML_LONG_INVALID).
    [[nodiscard]] bool WriteLong(CXmlElement parent, std::string_view name, std::int32_t value);
    [[nodiscard]] bool ReadLong(CXmlElement parent, std::string_view name, std::int32_t& value);
    [[nodiscard]] bool WriteSize(CXmlElement parent, std::string_view name, std::uint32_t value);
    [[nodiscard]] bool ReadSize(CXmlElement parent, std::string_view name, std::uint32_t& value);
    [[nodiscard]] bool WriteDouble(CXmlElement parent, std::string_view name, double value);
    // The leading number of the text, 0 when there is none; a number that is not finite (inf,
    // nan, 1e999) fails with IDS_XML_NUMBER_NOT_FINITE naming the text and the element.
    [[nodiscard]] bool ReadDouble(CXmlElement parent, std::string_view name, double& value);
    [[nodiscard]] bool WriteVersion(CXmlElement parent, std::string_view name,
                                    std::uint32_t version);
    [[nodiscard]] bool ReadVersion(CXmlElement parent, std::string_view name,
                                   std::uint32_t& version);
    [[nodiscard]] bool WriteRect(CXmlElement parent, std::string_view name, const CRect& rect);
    [[nodiscard]] bool ReadRect(CXmlElement parent, std::string_view name, CRect& rect);
    [[nodiscard]] bool WritePlacement(CXmlElement parent, std::string_view name,
                                      const CWindowPlacement& wp);
    [[nodiscard]] bool ReadPlacement(CXmlElement parent, std::string_view name,
                                     CWindowPlacement& wp);
    [[nodiscard]] bool WriteStringPair(CXmlElement parent, std::string_view name,
                                       const CStringPair& pair);
    [[nodiscard]] bool ReadStringPair(CXmlElement parent, std::string_view name, CStringPair& pair);
    // A list of exactly values.size() doubles, each in a child named "value".
    [[nodiscard]] bool WriteDoubles(CXmlElement parent, std::string_view name,
                                    std::span<const double> values);
    [[nodiscard]] bool ReadDoubles(CXmlElement parent, std::string_view name,
                                   std::span<double> values);
    [[nodiscard]] bool WriteEnum(CXmlElement parent, std::string_view name,
                                 const mrv::CNameTable& names, std::int32_t value);
    [[nodiscard]] bool ReadEnum(CXmlElement parent, std::string_view name,
                                const mrv::CNameTable& names, std::int32_t& value);
    [[nodiscard]] bool WriteFlags(CXmlElement parent, std::string_view name,
                                  const mrv::CNameTable& names, std::uint32_t flags);
    [[nodiscard]] bool ReadFlags(CXmlElement parent, std::string_view name,
                                 const mrv::CNameTable& names, std::uint32_t& flags);
    [[nodiscard]] bool WritePath(CXmlElement parent, std::string_view name,
                                 const std::string& path);
    [[nodiscard]] bool ReadPath(CXmlElement parent, std::string_view name, std::string& path);

    // The enumerations of the task setting, by type.
    template <class E> bool WriteEnum(CXmlElement parent, std::string_view name, E value) {
        return WriteEnum(parent, name, mrv::NamesOf<E>(), static_cast<std::int32_t>(value));
    }
    template <class E> bool ReadEnum(CXmlElement parent, std::string_view name, E& value) {
        std::int32_t raw = 0;
        if (!ReadEnum(parent, name, mrv::NamesOf<E>(), raw)) {
            return false;
        }
        value = static_cast<E>(raw);
        return true;
    }

    // The node path shown when a child is not found: "#document/MorvaneFile/Task -> Flags".
    std::string NodePath(CXmlElement parent, std::string_view child) const;
    // The node path of the element a (parent, name) pair addresses; for an empty name, that of
    // the parent itself ("#document/MorvaneFile/Task/BkColor -> value").
    std::string ElementPath(CXmlElement parent, std::string_view name) const;

private:
    // Fills the error record: the message's first argument is the description of a failure
    // code (errno, or 0 for an unspecified failure), then the operation's own arguments.
    bool Fail(std::uint32_t id, int code, std::string description,
              std::vector<std::string> args = {});
    // Fills the error record for a value that does not convert; no failure code.
    bool FailValue(std::uint32_t id, std::string value);
    bool FailValue(std::uint32_t id, std::vector<std::string> args);
    // The same for a failure without a system error code ("Unspecified error").
    bool FailUnspecified(std::uint32_t id, std::vector<std::string> args = {});
    bool FailException(const my::CException& e);

    // The element a composite writer fills: a new one, or the parent for an empty name.
    [[nodiscard]] bool BeginComposite(CXmlElement parent, std::string_view name,
                                      CXmlElement& element);
    [[nodiscard]] bool EndComposite(CXmlElement parent, CXmlElement element);
    // ReadText + trimming of the white space around a non-text value.
    [[nodiscard]] bool ReadToken(CXmlElement parent, std::string_view name, std::string& text);
    // ReadToken, then `parse`; a text that does not parse fails with failId and the text.
    template <class T>
    [[nodiscard]] bool ReadParsed(CXmlElement parent, std::string_view name, std::uint32_t failId,
                                  bool (*parse)(std::string_view, T&), T& value);

    static pugi::xml_node Node(CXmlElement element);

    std::unique_ptr<pugi::xml_document> m_doc;
    CXmlElement m_scratch; // holds created elements until they are appended
    std::uint32_t m_version = 0;
    std::string m_baseFolder;
};
