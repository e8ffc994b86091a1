#include "common/message_ids.h"
#include "common/messages.h"
#include "settings/task_element.h"
#include "settings/xml_document.h"
#include "settings_test_util.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>

namespace {

using settings_test::CLanguageGuard;
using settings_test::CTempFolder;

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

TEST_F(XmlDocumentTest, BooleansAreExactlyTrueOrFalse) {
    Parse("<a>true</a><b>false</b><c>TRUE</c><d>True</d><e>1</e><f></f><g> true\n</g>");
    bool value = false;
    EXPECT_TRUE(m_doc.ReadBool(m_root, "a", value));
    EXPECT_TRUE(value);
    EXPECT_TRUE(m_doc.ReadBool(m_root, "b", value));
    EXPECT_FALSE(value);
    EXPECT_TRUE(m_doc.ReadBool(m_root, "g", value));
    EXPECT_TRUE(value);
    for (const char* name : {"c", "d", "e", "f"}) {
        value = true;
        EXPECT_FALSE(m_doc.ReadBool(m_root, name, value)) << name;
        EXPECT_TRUE(value);
        EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_BOOL_INVALID);
        EXPECT_EQ(m_doc.GetErr().m_text, "XML node has invalid bool value - Unspecified error");
    }
}

TEST_F(XmlDocumentTest, IntegerFailuresNameTheText) {
    Parse("<i>1e3</i><j>0x10</j><k>99999999999</k><l>-7.5</l><s>-1</s><t>+12.</t>");
    std::int32_t value = 5;
    EXPECT_FALSE(m_doc.ReadInt(m_root, "i", value));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_INT_INVALID);
    EXPECT_EQ(m_doc.GetErr().m_code, 0u);
    EXPECT_EQ(m_doc.GetErr().m_text, "Failed to parse integer of XML node - 1e3");
    EXPECT_FALSE(m_doc.ReadLong(m_root, "j", value));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_LONG_INVALID);
    EXPECT_EQ(m_doc.GetErr().m_text, "Failed to parse long integer of XML node - 0x10");
    EXPECT_EQ(value, 5);
    EXPECT_TRUE(m_doc.ReadInt(m_root, "k", value));
    EXPECT_EQ(value, 2147483647);
    EXPECT_TRUE(m_doc.ReadLong(m_root, "l", value));
    EXPECT_EQ(value, -7);

    std::uint32_t size = 3;
    EXPECT_FALSE(m_doc.ReadSize(m_root, "s", size));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_SIZE_INVALID);
    EXPECT_EQ(m_doc.GetErr().m_text, "Failed to parse size_t of XML node - -1");
    EXPECT_EQ(size, 3u);
    EXPECT_TRUE(m_doc.ReadSize(m_root, "t", size));
    EXPECT_EQ(size, 12u);

    CLanguageGuard japanese(my::Language::Japanese);
    EXPECT_FALSE(m_doc.ReadInt(m_root, "j", value));
    EXPECT_EQ(m_doc.GetErr().m_text, "XML ノードの整数値が解析できませんでした\n\n0x10");
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
        CXmlElement root;
        EXPECT_FALSE(m_doc.SelectRoot("MorvaneSetting", root));
        EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_NODE_NOT_FOUND);
        EXPECT_TRUE(m_doc.GetErr().m_text.ends_with("\n\nMorvaneSetting"));
        CXmlElement child;
        EXPECT_FALSE(m_doc.SelectChild(CXmlElement(), "Task", child));
        EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_SELECT_NODE_FAILED);
        EXPECT_TRUE(m_doc.GetErr().m_text.ends_with("\n\n(!null) -> Task"));
    }
    // The empty name reads the parent's own text.
    std::string text;
    CXmlElement name;
    ASSERT_TRUE(m_doc.SelectChild(task, "DstName", name));
    EXPECT_TRUE(m_doc.ReadText(name, "", text));
    EXPECT_EQ(text, "x");
}

TEST_F(XmlDocumentTest, DoublesNeverFailAndListsNeedTheirCount) {
    Parse("<a>abc</a><b>2.5px</b>"
          "<four><value>1</value><value>2</value><value>3</value><value>4</value></four>"
          "<six><value>1</value><value>2</value><value>3</value><value>4</value>"
          "<value>5</value><value>6</value></six>"
          "<five><value>1</value><other/><value>0.5</value><value>x</value><value>4</value>"
          "<value>1e-3</value></five>");
    double value = 9;
    EXPECT_TRUE(m_doc.ReadDouble(m_root, "a", value));
    EXPECT_EQ(value, 0.0);
    EXPECT_TRUE(m_doc.ReadDouble(m_root, "b", value));
    EXPECT_EQ(value, 2.5);

    std::array<double, 5> values{};
    for (const char* name : {"four", "six"}) {
        values.fill(7);
        EXPECT_FALSE(m_doc.ReadDoubles(m_root, name, values)) << name;
        EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_NODE_COUNT_INVALID);
        EXPECT_EQ(m_doc.GetErr().m_text,
                  std::string("Count of XML nodes is invalid\n") + (name[0] == 'f' ? "4" : "6"));
        EXPECT_EQ(values[0], 7.0);
    }
    EXPECT_TRUE(m_doc.ReadDoubles(m_root, "five", values));
    EXPECT_EQ(values, (std::array<double, 5>{1, 0.5, 0, 4, 0.001}));
}

TEST_F(XmlDocumentTest, VersionsFailWithTheirText) {
    Parse("<v3>1.0.0</v3><v5>1.0.0.0.0</v5><big>1.0.0.256</big><ok>001.2.0.9</ok>");
    std::uint32_t version = 0;
    for (const char* name : {"v3", "v5", "big"}) {
        EXPECT_FALSE(m_doc.ReadVersion(m_root, name, version)) << name;
        EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_VERSION_INVALID);
    }
    EXPECT_EQ(m_doc.GetErr().m_text, "Failed to parse version information of XML node - 1.0.0.256");
    EXPECT_EQ(m_doc.GetVersion(), 0u);
    EXPECT_TRUE(m_doc.ReadVersion(m_root, "ok", version));
    EXPECT_EQ(version, 0x01020009u);
    EXPECT_EQ(m_doc.GetVersion(), version);
}

TEST_F(XmlDocumentTest, EnumerationsAndFlagsNameTheirTypeBothWays) {
    Parse("<f1>APNG</f1><f2>apng</f2><g1></g1><g2>Resize|AutoTrim</g2><g3>Resize|</g3>"
          "<g4>Resize||AutoTrim</g4><g5>resize</g5>");
    mrv::DstFormat format = mrv::DstFormat::PNG;
    EXPECT_TRUE(m_doc.ReadEnum(m_root, "f1", format));
    EXPECT_EQ(format, mrv::DstFormat::APNG);
    EXPECT_FALSE(m_doc.ReadEnum(m_root, "f2", format));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_ENUM_NAME_UNKNOWN);
    EXPECT_EQ(m_doc.GetErr().m_text, "Unknown name is specified mrv::DstFormat::apng");
    EXPECT_EQ(format, mrv::DstFormat::APNG);

    std::uint32_t flags = 99;
    EXPECT_TRUE(m_doc.ReadFlags(m_root, "g1", mrv::kTaskFlagNames, flags));
    EXPECT_EQ(flags, 0u);
    EXPECT_TRUE(m_doc.ReadFlags(m_root, "g2", mrv::kTaskFlagNames, flags));
    EXPECT_EQ(flags, mrv::TaskFlags::Resize | mrv::TaskFlags::AutoTrim);
    for (const char* name : {"g3", "g4"}) {
        EXPECT_FALSE(m_doc.ReadFlags(m_root, name, mrv::kTaskFlagNames, flags));
        EXPECT_EQ(m_doc.GetErr().m_text, "Unknown name is specified mrv::TaskFlags::");
    }
    EXPECT_FALSE(m_doc.ReadFlags(m_root, "g5", mrv::kTaskFlagNames, flags));
    EXPECT_EQ(m_doc.GetErr().m_text, "Unknown name is specified mrv::TaskFlags::resize");
    EXPECT_EQ(flags, 5u);

    // Values without a name fail to write.
    EXPECT_FALSE(m_doc.WriteEnum(m_root, "DstFormat", static_cast<mrv::DstFormat>(7)));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_ENUM_VALUE_UNKNOWN);
    EXPECT_EQ(m_doc.GetErr().m_text, "Unknown value is specified mrv::DstFormat::7");
    EXPECT_FALSE(m_doc.WriteFlags(m_root, "RoundFlags", mrv::kRoundFlagNames, 0x40));
    EXPECT_EQ(m_doc.GetErr().m_text, "Unknown value is specified mrv::RoundFlags::64");
}

TEST_F(XmlDocumentTest, IndentationIsIgnoredAndValuesKeepTheirSpaces) {
    Parse("\n  <Braces>\n    <first> </first>\n\t<second>  )\n</second>\n  </Braces>\n"
          "  <Rect>\n<left>1</left><top>2</top>\n<right>3</right><bottom>4</bottom></Rect>"
          "<Width>10</Width><Width>20</Width>");
    CStringPair pair;
    EXPECT_TRUE(m_doc.ReadStringPair(m_root, "Braces", pair));
    EXPECT_EQ(pair, CStringPair(" ", "  )\n"));
    CRect rect;
    EXPECT_TRUE(m_doc.ReadRect(m_root, "Rect", rect));
    EXPECT_EQ(rect, (CRect{1, 2, 3, 4}));
    // The first of two equal elements counts.
    std::int32_t width = 0;
    EXPECT_TRUE(m_doc.ReadInt(m_root, "Width", width));
    EXPECT_EQ(width, 10);
}

TEST_F(XmlDocumentTest, WrittenDocumentHasTheTemplateAndTheOrder) {
    Begin();
    CXmlElement frame;
    ASSERT_TRUE(m_doc.CreateElement("MainFrame", frame));
    ASSERT_TRUE(m_doc.WritePlacement(frame, "", CWindowPlacement{true, false, {-5, 6, 700, 80}}));
    ASSERT_TRUE(m_doc.AppendChild(m_root, frame));
    ASSERT_TRUE(m_doc.WriteStringPair(m_root, "PhaseBraces", {"<{", "&}"}));
    ASSERT_TRUE(m_doc.WriteDouble(m_root, "Dpi", 1234567));
    const std::string text = SaveText();
    EXPECT_EQ(text, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                    "<MorvaneFile xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
                    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">\n"
                    "\t<Version>1.0.0.0</Version>\n"
                    "\t<MainFrame>\n"
                    "\t\t<FullScreen>true</FullScreen>\n"
                    "\t\t<Maximized>false</Maximized>\n"
                    "\t\t<NormalBounds>\n"
                    "\t\t\t<left>-5</left>\n\t\t\t<top>6</top>\n"
                    "\t\t\t<right>700</right>\n\t\t\t<bottom>80</bottom>\n"
                    "\t\t</NormalBounds>\n"
                    "\t</MainFrame>\n"
                    "\t<PhaseBraces>\n"
                    "\t\t<first>&lt;{</first>\n\t\t<second>&amp;}</second>\n"
                    "\t</PhaseBraces>\n"
                    "\t<Dpi>1.23457e+06</Dpi>\n"
                    "</MorvaneFile>\n");

    CWindowPlacement wp;
    CStringPair pair;
    Reload();
    EXPECT_TRUE(m_doc.ReadPlacement(m_root, "MainFrame", wp));
    EXPECT_EQ(wp, (CWindowPlacement{true, false, {-5, 6, 700, 80}}));
    EXPECT_TRUE(m_doc.ReadStringPair(m_root, "PhaseBraces", pair));
    EXPECT_EQ(pair, CStringPair("<{", "&}"));
}

TEST_F(XmlDocumentTest, OddTextsSurviveARoundTrip) {
    const std::vector<std::string> texts = {"",           " ",      "  lead and trail  ", "a\nb",
                                            "<&>\"'",     "日本語", "tab\there",          "]]>",
                                            "cr\rlf\r\n", "ctl\x01"};
    Begin();
    for (const std::string& text : texts) {
        ASSERT_TRUE(m_doc.WriteText(m_root, "t", text));
    }
    SaveText();
    Reload();
    std::vector<CXmlElement> items;
    ASSERT_TRUE(m_doc.SelectChildren(m_root, "t", items));
    ASSERT_EQ(items.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::string text = "?";
        EXPECT_TRUE(m_doc.ReadText(items[i], "", text));
        EXPECT_EQ(text, texts[i]);
    }
}

TEST_F(XmlDocumentTest, LoadFailuresNameThePath) {
    const std::string missing = m_folder / "missing.mrva";
    EXPECT_FALSE(m_doc.Load(missing));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_LOAD_FAILED);
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

    EXPECT_FALSE(m_doc.Load(m_folder.Path()));
    EXPECT_EQ(m_doc.GetErr().m_code, static_cast<std::uint32_t>(EISDIR));

    const std::string empty = m_folder / "empty.mrva";
    settings_test::WriteFile(empty, "");
    EXPECT_FALSE(m_doc.Load(empty));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_LOAD_FAILED);
}

TEST_F(XmlDocumentTest, FilesOverFourMebibytesAreRefusedUnread) {
    const std::string big = m_folder / "big.mrva";
    std::string text = "<MorvaneFile><DstName>";
    text.append(CXmlDocument::kMaxFileSize, 'x');
    settings_test::WriteFile(big, text + "</DstName></MorvaneFile>");
    EXPECT_FALSE(m_doc.Load(big));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_LOAD_FAILED);
    EXPECT_EQ(m_doc.GetErr().m_code, static_cast<std::uint32_t>(EFBIG));
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

    const auto start = std::chrono::steady_clock::now();
    const bool loaded = m_doc.Load(path);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_TRUE(loaded) << m_doc.GetErr().m_text;
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

TEST_F(XmlDocumentTest, ATemplateThatDoesNotParseFails) {
    EXPECT_FALSE(m_doc.Create("<MorvaneFile>"));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_TEMPLATE_PARSE_FAILED);
    EXPECT_TRUE(m_doc.GetErr().m_text.starts_with("Failed to create root of XML document - "));
    CXmlElement root;
    EXPECT_FALSE(m_doc.SelectRoot("MorvaneFile", root));
    EXPECT_FALSE(m_doc.Save(m_folder / "never.xml"));
    EXPECT_EQ(m_doc.GetErr().m_id, IDS_XML_SAVE_FAILED);
    EXPECT_FALSE(std::filesystem::exists(m_folder / "never.xml"));
}

} // namespace
