#include "settings/app_setting.h"

#include "settings/task_element.h"

namespace {

constexpr std::string_view kRoot = "MorvaneSetting";

} // namespace

bool CAppSetting::LoadAppSetting(const std::string& path) {
    m_fileVersion = 0;
    CXmlDocument doc;
    CXmlElement root;
    CXmlElement ui;
    const bool ok =
        doc.Load(path) && doc.SelectRoot(kRoot, root) &&
        doc.ReadVersion(root, "Version", m_fileVersion) &&
        doc.ReadPlacement(root, "MainFrame", m_placement) && ReadTaskElement(doc, root, m_task) &&
        doc.SelectChild(root, "UI", ui) && doc.ReadText(ui, "LastPath", m_lastPath) &&
        m_mruPathes.Read(doc, ui, "MruPathes") && m_srcPathes0.Read(doc, ui, "SrcPathes0") &&
        m_srcPathes1.Read(doc, ui, "SrcPathes1") && m_dstFolders.Read(doc, ui, "DstFolders") &&
        m_dstNames.Read(doc, ui, "DstNames");
    SetErr(doc.GetErr());
    return ok;
}

bool CAppSetting::SaveAppSetting(const std::string& path) {
    CXmlDocument doc;
    CXmlElement root;
    CXmlElement mainFrame;
    CXmlElement ui;
    // The window placement is written straight into MainFrame.
    const bool ok =
        BeginDocument(doc, kRoot, root) && doc.CreateElement("MainFrame", mainFrame) &&
        doc.WritePlacement(mainFrame, "", m_placement) && doc.AppendChild(root, mainFrame) &&
        WriteTaskElement(doc, root, m_task) && doc.CreateElement("UI", ui) &&
        doc.WriteText(ui, "LastPath", m_lastPath) && m_mruPathes.Write(doc, ui, "MruPathes") &&
        m_srcPathes0.Write(doc, ui, "SrcPathes0") && m_srcPathes1.Write(doc, ui, "SrcPathes1") &&
        m_dstFolders.Write(doc, ui, "DstFolders") && m_dstNames.Write(doc, ui, "DstNames") &&
        doc.AppendChild(root, ui) && doc.Save(path);
    SetErr(doc.GetErr());
    return ok;
}

bool CAppSetting::SameValues(const CAppSetting& other) const {
    return m_placement == other.m_placement && m_task == other.m_task &&
           m_lastPath == other.m_lastPath && m_mruPathes == other.m_mruPathes &&
           m_srcPathes0 == other.m_srcPathes0 && m_srcPathes1 == other.m_srcPathes1 &&
           m_dstFolders == other.m_dstFolders && m_dstNames == other.m_dstNames;
}
