#include "settings/xml_document.h"

#include "common/message_ids.h"
#include "common/messages.h"
#include "platform/path.h"
#include "platform/read_file.h"
#include "platform/replace_file.h"
#include "settings/xml_values.h"

#include <algorithm>
#include <cerrno>
#include <pugixml.hpp>

namespace {

// The text content of an element: all its text and CDATA, in document order. The walk follows
// the tree's own links instead of recursing, so an element nested a million deep is read in
// constant stack like any other.
void AppendTextContent(const pugi::xml_node& node, std::string& text) {
    pugi::xml_node current = node.first_child();
    while (current) {
        const pugi::xml_node_type type = current.type();
        if (type == pugi::node_pcdata || type == pugi::node_cdata) {
            text += current.value();
        } else if (type == pugi::node_element && current.first_child()) {
            current = current.first_child();
            continue;
        }
        while (!current.next_sibling()) {
            current = current.parent();
            if (current == node) {
                return;
            }
        }
        current = current.next_sibling();
    }
}

std::string_view TrimSpace(std::string_view text) {
    constexpr std::string_view space = " \t\r\n";
    const std::size_t first = text.find_first_not_of(space);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// "Start-end tags mismatch (line 3, column 7)".
std::string ParseErrorText(const pugi::xml_parse_result& result, std::string_view data) {
    const std::size_t offset =
        std::min(static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0)), data.size());
    const std::string_view before = data.substr(0, offset);
    const auto line = 1 + std::count(before.begin(), before.end(), '\n');
    const std::size_t lineStart = before.rfind('\n');
    const std::size_t column =
        offset - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
    return std::string(result.description()) + " (line " + std::to_string(line) + ", column " +
           std::to_string(column) + ")";
}

class CStringWriter : public pugi::xml_writer {
public:
    void write(const void* data, std::size_t size) override {
        m_text.append(static_cast<const char*>(data), size);
    }
    std::string m_text;
};

std::string UnspecifiedText() {
    return std::string(my::MessageText(IDS_UNSPECIFIED_ERROR));
}

} // namespace

pugi::xml_node CXmlDocument::Node(CXmlElement element) {
    return pugi::xml_node(element.m_node);
}

CXmlDocument::CXmlDocument() = default;
CXmlDocument::~CXmlDocument() = default;

bool CXmlDocument::Fail(std::uint32_t id, int code, std::string description,
                        std::vector<std::string> args) {
    args.insert(args.begin(), std::move(description));
    m_err.m_id = static_cast<std::int32_t>(id);
    m_err.m_code = static_cast<std::uint32_t>(code);
    m_err.m_text = my::FormatMessage(id, args);
    return false;
}

bool CXmlDocument::FailValue(std::uint32_t id, std::string value) {
    return FailValue(id, std::vector<std::string>{std::move(value)});
}

bool CXmlDocument::FailValue(std::uint32_t id, std::vector<std::string> args) {
    m_err.m_id = static_cast<std::int32_t>(id);
    m_err.m_code = 0;
    m_err.m_text = my::FormatMessage(id, args);
    return false;
}

bool CXmlDocument::FailUnspecified(std::uint32_t id, std::vector<std::string> args) {
    return Fail(id, 0, UnspecifiedText(), std::move(args));
}

bool CXmlDocument::FailException(const my::CException& e) {
    m_err = e;
    return false;
}

std::string CXmlDocument::NodePath(CXmlElement parent, std::string_view child) const {
    std::vector<std::string> names;
    if (!parent) {
        names.emplace_back("(!null)");
    }
    for (pugi::xml_node node = Node(parent); node; node = node.parent()) {
        std::string name = node.type() == pugi::node_document ? "#document" : node.name();
        names.push_back(name.empty() ? "(!name)" : std::move(name));
    }
    std::string path;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        path += (path.empty() ? "" : "/") + *it;
    }
    return path + " -> " + std::string(child);
}

std::string CXmlDocument::ElementPath(CXmlElement parent, std::string_view name) const {
    if (!name.empty() || !parent) {
        return NodePath(parent, name);
    }
    const pugi::xml_node node = Node(parent);
    return NodePath(CXmlElement(node.parent().internal_object()), node.name());
}

bool CXmlDocument::Create(std::string_view text) {
    m_doc = std::make_unique<pugi::xml_document>();
    m_scratch = {};
    const pugi::xml_parse_result result =
        m_doc->load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_declaration,
                           pugi::encoding_utf8);
    if (!result) {
        m_doc.reset();
        return Fail(IDS_XML_TEMPLATE_PARSE_FAILED, 0, ParseErrorText(result, text));
    }
    return true;
}

bool CXmlDocument::Load(const std::string& path) {
    io::RemoveStaleTempFiles(my::FolderOf(path));
    std::string data;
    if (const int error = io::ReadWholeFile(path, kMaxFileSize, data)) {
        // A FIFO, device or socket is refused unread; "Invalid argument" would not say why.
        return Fail(IDS_XML_LOAD_FAILED, error,
                    error == EINVAL ? std::string(my::MessageText(IDS_FILE_NOT_REGULAR))
                                    : my::SystemErrorText(error),
                    {path});
    }
    auto doc = std::make_unique<pugi::xml_document>();
    // Default options: no DOCTYPE is kept and no entity but the five predefined ones and
    // character references is expanded, so a hostile document cannot grow or reach out.
    // Text that is only white space is kept when it is an element's only content (a value),
    // and dropped between elements (indentation).
    const pugi::xml_parse_result result = doc->load_buffer(
        data.data(), data.size(), pugi::parse_default | pugi::parse_ws_pcdata_single);
    if (!result) {
        return Fail(IDS_XML_LOAD_FAILED, 0, ParseErrorText(result, data), {path});
    }
    m_doc = std::move(doc);
    m_scratch = {};
    return true;
}

bool CXmlDocument::Save(const std::string& path) {
    if (!m_doc) {
        return FailUnspecified(IDS_XML_SAVE_FAILED);
    }
    if (m_scratch) {
        m_doc->remove_child(Node(m_scratch));
        m_scratch = {};
    }
    CStringWriter writer;
    m_doc->save(writer, "\t", pugi::format_default, pugi::encoding_utf8);
    // A raw carriage return in a value would come back as a line feed (XML line-end
    // normalisation); the serialiser writes none of its own, so each one is a value's and is
    // written as a character reference.
    std::string text;
    text.reserve(writer.m_text.size());
    for (const char c : writer.m_text) {
        if (c == '\r') {
            text += "&#13;";
        } else {
            text += c;
        }
    }
    io::RemoveStaleTempFiles(my::FolderOf(path));
    if (const int error = io::ReplaceFile(path, text)) {
        // The message has room for the reason only; the path goes with it, since a reason such
        // as "File name too long" or "Permission denied" means little without it.
        return Fail(IDS_XML_SAVE_FAILED, error, my::SystemErrorText(error) + "\n\n" + path);
    }
    return true;
}

bool CXmlDocument::SelectRoot(std::string_view name, CXmlElement& root) {
    if (!m_doc) {
        return FailUnspecified(IDS_XML_SELECT_NODE_FAILED, {std::string(name)});
    }
    for (pugi::xml_node node = m_doc->first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element && node.name() == name) {
            root = CXmlElement(node.internal_object());
            return true;
        }
    }
    return FailUnspecified(IDS_XML_NODE_NOT_FOUND, {std::string(name)});
}

bool CXmlDocument::SelectChild(CXmlElement parent, std::string_view name, CXmlElement& child) {
    if (!parent) {
        return FailUnspecified(IDS_XML_SELECT_NODE_FAILED, {NodePath(parent, name)});
    }
    if (name.empty()) {
        child = parent;
        return true;
    }
    for (pugi::xml_node node = Node(parent).first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element && node.name() == name) {
            child = CXmlElement(node.internal_object());
            return true;
        }
    }
    return FailUnspecified(IDS_XML_NODE_NOT_FOUND, {NodePath(parent, name)});
}

bool CXmlDocument::SelectChildren(CXmlElement parent, std::string_view name,
                                  std::vector<CXmlElement>& children) {
    if (!parent) {
        return FailUnspecified(IDS_XML_SELECT_NODES_FAILED, {std::string(name)});
    }
    std::vector<CXmlElement> found;
    for (pugi::xml_node node = Node(parent).first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_element && node.name() == name) {
            found.push_back(CXmlElement(node.internal_object()));
        }
    }
    children = std::move(found);
    return true;
}

bool CXmlDocument::CreateElement(std::string_view name, CXmlElement& element) {
    if (!m_doc) {
        return FailUnspecified(IDS_XML_CREATE_NODE_FAILED);
    }
    // pugixml makes nodes only inside a parent: new elements wait in a holder at the end of
    // the document until they are appended, and the holder is removed before saving.
    if (!m_scratch) {
        m_scratch = CXmlElement(m_doc->append_child(pugi::node_element).internal_object());
    }
    const pugi::xml_node node = Node(m_scratch).append_child(std::string(name).c_str());
    if (!node) {
        return Fail(IDS_XML_CREATE_NODE_FAILED, ENOMEM, my::SystemErrorText(ENOMEM));
    }
    element = CXmlElement(node.internal_object());
    return true;
}

bool CXmlDocument::AppendChild(CXmlElement parent, CXmlElement child) {
    if (parent == child) {
        return true;
    }
    if (!parent || !child || !Node(parent).append_move(Node(child))) {
        return FailUnspecified(IDS_XML_APPEND_NODE_FAILED);
    }
    return true;
}

bool CXmlDocument::WriteText(CXmlElement parent, std::string_view name, std::string_view text) {
    CXmlElement element = parent;
    if (!name.empty() && !CreateElement(name, element)) {
        return false;
    }
    if (!element || !Node(element).text().set(std::string(text).c_str())) {
        return FailUnspecified(IDS_XML_SET_TEXT_FAILED);
    }
    return AppendChild(parent, element);
}

bool CXmlDocument::ReadText(CXmlElement parent, std::string_view name, std::string& text) {
    CXmlElement element;
    if (!SelectChild(parent, name, element)) {
        return false;
    }
    std::string content;
    AppendTextContent(Node(element), content);
    text = std::move(content);
    return true;
}

bool CXmlDocument::ReadToken(CXmlElement parent, std::string_view name, std::string& text) {
    if (!ReadText(parent, name, text)) {
        return false;
    }
    // Values other than texts and paths may carry white space from hand editing.
    text = std::string(TrimSpace(text));
    return true;
}

bool CXmlDocument::BeginComposite(CXmlElement parent, std::string_view name, CXmlElement& element) {
    if (name.empty()) {
        element = parent;
        return true;
    }
    return CreateElement(name, element);
}

bool CXmlDocument::EndComposite(CXmlElement parent, CXmlElement element) {
    return AppendChild(parent, element);
}
