#include "common/message_ids.h"
#include "common/messages.h"
#include "settings/task_element.h"
#include "settings/xml_document.h"
#include "settings_test_util.h"
#include "support/temp_folder.h"

#include <array>
#include <cerrno>
#include <gtest/gtest.h>

namespace {

using morvane::test::CTempFolder;
using settings_test::CLanguageGuard;

// A document read from `body` wrapped in a MorvaneFile root; `root` is that root.
class XmlDocumentTest : public ::testing::Test {
protected:
    void Parse(const std::string& body) {
        const std::string path = m_folder / "doc.xml";
        settings_test::WriteFile(path, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                       "<MorvaneFile>" +
                                           body + "</MorvaneFile>\n");
        ASSERT_TRUE(m_doc.Load(path)) << m_doc.GetErr().m_text;
        ASSERT_TRUE(m_doc.SelectRoot("MorvaneFile", m_root)) << m_doc.GetErr().m_text;
    }
    // A document being written: the project template with its root selected.
    void Begin() { ASSERT_TRUE(BeginDocument(m_doc, "MorvaneFile", m_root)); }
    std::string SaveText() {
        const std::string path = m_folder / "out.xml";
        EXPECT_TRUE(m_doc.Save(path)) << m_doc.GetErr().m_text;
        return settings_test::ReadFile(path);
    }
    // Reads back what SaveText wrote.
    void Reload() {
        ASSERT_TRUE(m_doc.Load(m_folder / "out.xml")) << m_doc.GetErr().m_text;
        ASSERT_TRUE(m_doc.SelectRoot("MorvaneFile", m_root));
    }

    CTempFolder m_folder;
    CXmlDocument m_doc;
    CXmlElement m_root;
};

TEST_F(XmlDocumentTest, IntegerFailuresNameTheText) {
    Parse("<i>1e3</i><k>99999999999</k><s>-1</s>");
    std::int32_t value = 5;
    EXPECT_FALSE(m_doc.ReadInt(m_root, "i", value));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_INT_INVALID);
    EXPECT_EQ(m_doc.GetErr().m_text, "Failed to parse integer of XML node - 1e3");
    EXPECT_EQ(value, 5);
    EXPECT_TRUE(m_doc.ReadInt(m_root, "k", value));
    EXPECT_EQ(value, 2147483647);

    std::uint32_t size = 3;
    EXPECT_FALSE(m_doc.ReadSize(m_root, "s", size));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_SIZE_INVALID);
    EXPECT_EQ(size, 3u);
}

TEST_F(XmlDocumentTest, MissingElementsShowTheirNodePath) {
    Parse("<Task><DstName>x</DstName></Task>");
    CXmlElement task;
    ASSERT_TRUE(m_doc.SelectChild(m_root, "Task", task));
    std::uint32_t flags = 0;
    EXPECT_FALSE(m_doc.ReadFlags(task, "Flags", mrv::kTaskFlagNames, flags));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_NODE_NOT_FOUND);
    EXPECT_EQ(m_doc.GetErr().m_text, "Failed to select specified node - Unspecified error");
    EXPECT_EQ(m_doc.NodePath(task, "Flags"), "#document/MorvaneFile/Task -> Flags");
    {
        CLanguageGuard japanese(my::Language::Japanese);
        EXPECT_FALSE(m_doc.ReadFlags(task, "Flags", mrv::kTaskFlagNames, flags));
        EXPECT_EQ(m_doc.GetErr().m_text,
                  "指定のノードが選択できませんでした - エラーを特定できません"
                  "\n\n#document/MorvaneFile/Task -> Flags");
        CXmlElement child;
        EXPECT_FALSE(m_doc.SelectChild(CXmlElement(), "Task", child));
        EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_SELECT_NODE_FAILED);
    }
}

TEST_F(XmlDocumentTest, DoublesReadTheLeadingNumberAndListsNeedTheirCount) {
    Parse("<a>abc</a><b>2.5px</b>"
          "<four><value>1</value><value>2</value><value>3</value><value>4</value></four>"
          "<five><value>1</value><other/><value>0.5</value><value>x</value><value>4</value>"
          "<value>1e-3</value></five>");
    double value = 9;
    EXPECT_TRUE(m_doc.ReadDouble(m_root, "a", value));
    EXPECT_EQ(value, 0.0);
    EXPECT_TRUE(m_doc.ReadDouble(m_root, "b", value));
    EXPECT_EQ(value, 2.5);

    std::array<double, 5> values{};
    values.fill(7);
    EXPECT_FALSE(m_doc.ReadDoubles(m_root, "four", values));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_NODE_COUNT_INVALID);
    EXPECT_EQ(m_doc.GetErr().m_text, "Count of XML nodes is invalid\n4");
    EXPECT_EQ(values[0], 7.0);
    EXPECT_TRUE(m_doc.ReadDoubles(m_root, "five", values));
    EXPECT_EQ(values, (std::array<double, 5>{1, 0.5, 0, 4, 0.001}));
}

TEST_F(XmlDocumentTest, NumbersThatAreNotFiniteFailNamingTheElement) {
    Parse("<Task><Dpi>inf</Dpi><Amp> nan </Amp><Big>1e999</Big><Low>-1e999px</Low>"
          "<BkColor><value>1</value><value>-INFINITY</value></BkColor></Task>");
    CXmlElement task;
    ASSERT_TRUE(m_doc.SelectChild(m_root, "Task", task));
    for (const char* name : {"Dpi", "Amp", "Big", "Low"}) {
        double value = 5;
        EXPECT_FALSE(m_doc.ReadDouble(task, name, value)) << name;
        EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_NUMBER_NOT_FINITE) << name;
        EXPECT_EQ(value, 5.0) << name;
    }
    double value = 5;
    EXPECT_FALSE(m_doc.ReadDouble(task, "Amp", value));
    EXPECT_EQ(m_doc.GetErr().m_text, "XML node has a number that is not finite - nan\n\n"
                                     "#document/MorvaneFile/Task -> Amp");
    std::array<double, 2> values{7, 7};
    EXPECT_FALSE(m_doc.ReadDoubles(task, "BkColor", values));
    EXPECT_EQ(m_doc.GetErr().m_text, "XML node has a number that is not finite - -INFINITY\n\n"
                                     "#document/MorvaneFile/Task/BkColor -> value");
    EXPECT_EQ(values[0], 7.0);
    CLanguageGuard japanese(my::Language::Japanese);
    EXPECT_FALSE(m_doc.ReadDouble(task, "Dpi", value));
    EXPECT_EQ(m_doc.GetErr().m_text, "XML ノードの数値が有限の値ではありません\n\ninf\n\n"
                                     "#document/MorvaneFile/Task -> Dpi");
}

// Half a million levels in a file under the size limit: a recursive walk would overflow the
// stack long before the innermost text.
TEST_F(XmlDocumentTest, DeeplyNestedTextIsCollectedWithoutRecursion) {
    constexpr int kDepth = 500000;
    std::string body = "<DstName>p";
    for (int i = 0; i < kDepth; ++i) {
        body += "<a>";
    }
    body += "x<![CDATA[y]]>";
    for (int i = 0; i < kDepth; ++i) {
        body += i == 0 ? "</a>z" : "</a>";
    }
    body += "q</DstName>";
    ASSERT_LT(body.size(), CXmlDocument::kMaxFileSize - 100);
    Parse(body);
    std::string text;
    EXPECT_TRUE(m_doc.ReadText(m_root, "DstName", text)) << m_doc.GetErr().m_text;
    EXPECT_EQ(text, "pxyzq");
}

TEST_F(XmlDocumentTest, LoadFailuresNameThePath) {
    const std::string missing = m_folder / "missing.mrva";
    EXPECT_FALSE(m_doc.Load(missing));
    EXPECT_EQ(m_doc.GetErr().m_code, static_cast<std::uint32_t>(ENOENT));
    EXPECT_EQ(m_doc.GetErr().m_text,
              "Failed to load XML document - No such file or directory\n\n" + missing);

    const std::string broken = m_folder / "broken.mrva";
    settings_test::WriteFile(broken, "<MorvaneFile>\n  <Task></Tusk>\n</MorvaneFile>");
    EXPECT_FALSE(m_doc.Load(broken));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_LOAD_FAILED);
    EXPECT_EQ(m_doc.GetErr().m_text, "Failed to load XML document - Start-end tags mismatch "
                                     "(line 2, column 11)\n\n" +
                                         broken);
}

TEST_F(XmlDocumentTest, FilesOverFourMebibytesAreRefusedUnread) {
    const std::string big = m_folder / "big.mrva";
    std::string text = "<MorvaneFile><DstName>";
    text.append(CXmlDocument::kMaxFileSize, 'x');
    settings_test::WriteFile(big, text + "</DstName></MorvaneFile>");
    EXPECT_FALSE(m_doc.Load(big));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_LOAD_FAILED);
    EXPECT_EQ(m_doc.GetErr().m_text, "Failed to load XML document - File too large\n\n" + big);
    // Just below the limit still loads.
    text.resize(CXmlDocument::kMaxFileSize - 100);
    settings_test::WriteFile(big, text + "</DstName></MorvaneFile>");
    EXPECT_TRUE(m_doc.Load(big)) << m_doc.GetErr().m_text;
}

TEST_F(XmlDocumentTest, EntitiesAreNeverExpanded) {
    std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE MorvaneFile [\n"
                       "<!ENTITY lol \"lol\">\n"
                       "<!ENTITY ext SYSTEM \"file:///etc/passwd\">\n";
    for (int i = 1; i <= 9; ++i) {
        bomb += "<!ENTITY lol" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) {
            bomb += "&lol" + (i == 1 ? std::string() : std::to_string(i - 1)) + ";";
        }
        bomb += "\">\n";
    }
    bomb += "]>\n<MorvaneFile><DstName>&lol9;</DstName><DstFolder>&ext;</DstFolder>"
            "<Amp>&amp;&#x41;</Amp></MorvaneFile>\n";
    const std::string path = m_folder / "bomb.mrva";
    settings_test::WriteFile(path, bomb);

    ASSERT_TRUE(m_doc.Load(path)) << m_doc.GetErr().m_text;
    ASSERT_TRUE(m_doc.SelectRoot("MorvaneFile", m_root));
    std::string text;
    EXPECT_TRUE(m_doc.ReadText(m_root, "DstName", text));
    EXPECT_EQ(text, "&lol9;");
    EXPECT_TRUE(m_doc.ReadText(m_root, "DstFolder", text));
    EXPECT_EQ(text, "&ext;");
    // The predefined entities and character references still read.
    EXPECT_TRUE(m_doc.ReadText(m_root, "Amp", text));
    EXPECT_EQ(text, "&A");
}

} // namespace
