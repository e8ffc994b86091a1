#include "app_fixture.h"

#include <algorithm>
#include <fstream>

namespace morvane::test {

CAppFixture::CAppFixture(const std::string& commandLine) {
    m_app.m_msg = &m_msg;
    m_app.m_shell = &m_shell;
    m_app.m_settingsPath = m_temp / "config/Morvane32.config";
    m_app.m_commandLine = commandLine;
    m_frame = std::make_unique<mrv::CMainFrame>(m_app);
}

CStallMeter::CStallMeter(int intervalMs, std::function<void()> onBeat) {
    m_beat.setInterval(intervalMs);
    QObject::connect(&m_beat, &QTimer::timeout, [this, onBeat = std::move(onBeat)] {
        const qint64 now = m_clock.elapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
        ++m_beats;
        if (onBeat) {
            onBeat();
        }
    });
}

void CStallMeter::Start() {
    m_clock.start();
    m_last = 0;
    m_longest = 0;
    m_beats = 0;
    m_beat.start();
}

void TouchFile(const std::string& path) {
    std::ofstream(path) << "x";
}

} // namespace morvane::test
