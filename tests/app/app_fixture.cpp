#include "app_fixture.h"

#include <fstream>
#include <random>

namespace morvane::test {

CTempFolder::CTempFolder() {
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() /
             ("morvane-app-" + std::to_string(random()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(m_path);
}

CTempFolder::~CTempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

CAppFixture::CAppFixture(const std::string& commandLine) {
    m_app.m_msg = &m_msg;
    m_app.m_shell = &m_shell;
    m_app.m_settingsPath = m_temp.Path("config/Morvane32.config");
    m_app.m_commandLine = commandLine;
    m_frame = std::make_unique<mrv::CMainFrame>(m_app);
}

void TouchFile(const std::string& path) {
    std::ofstream(path) << "x";
}

} // namespace morvane::test
