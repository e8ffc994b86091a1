#include "app_fixture.h"

#include <fstream>

namespace morvane::test {

CAppFixture::CAppFixture(const std::string& commandLine) {
    m_app.m_msg = &m_msg;
    m_app.m_shell = &m_shell;
    m_app.m_settingsPath = m_temp / "config/Morvane32.config";
    m_app.m_commandLine = commandLine;
    m_frame = std::make_unique<mrv::CMainFrame>(m_app);
}

void TouchFile(const std::string& path) {
    std::ofstream(path) << "x";
}

} // namespace morvane::test
