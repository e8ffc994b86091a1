// icm::CDefaultProfiles: the default colour profile of each colour space, found by file name
// in the colour folders on its first request and shared for the rest of the run.
#pragma once

#include "platform/color_profile.h"

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace icm {

// The folders that hold installed profiles, in the order they are searched:
// /usr/share/color/icc, /usr/local/share/color/icc, $XDG_DATA_HOME/icc (~/.local/share/icc when
// unset) and ~/.color/icc.
std::vector<std::string> SystemColorFolders();

// The path of the first candidate name found in one of the folders or below them, names
// compared without regard to case; candidates earlier in the list win over earlier folders.
// Empty when none is installed. Unreadable folders are skipped.
std::string FindProfileFile(std::span<const std::string_view> candidates,
                            const std::vector<std::string>& folders);

class CDefaultProfiles {
public:
    // File names of the default profiles, in order of preference.
    static constexpr std::string_view kRgbCandidates[] = {"sRGB Color Space Profile.icm"};
    static constexpr std::string_view kCmykCandidates[] = {"JapanStandard.icc", "RSWOP.icm"};

    explicit CDefaultProfiles(std::vector<std::string> folders);

    // The default profile of a stroke::ColorType. RGB: the installed sRGB profile, else the
    // working space (the engine's built-in sRGB, the same colour space). CMYK: the first
    // installed candidate; none raises IDS_ICM_DEFAULT_PROFILE_NOT_FOUND naming the space. A
    // candidate file whose data are of another colour space does not count. Another type raises
    // IDS_ICM_COLOR_SPACE_UNKNOWN; a found file that cannot be opened IDS_ICM_PROFILE_OPEN_FAILED.
    // Made once, then the same object is returned; callers share it and must not Load or Close it.
    // Safe from several threads.
    boost::shared_ptr<CColorProfile> Get(std::uint32_t colorType);

    // The instance over SystemColorFolders(), made on first use.
    static CDefaultProfiles& System();

private:
    // The first candidate installed whose data are of the colour type's space.
    boost::shared_ptr<CColorProfile> Open(std::span<const std::string_view> candidates,
                                          std::uint32_t colorType, bool builtInFallback);

    const std::vector<std::string> m_folders;
    std::mutex m_mutex;
    boost::shared_ptr<CColorProfile> m_rgb;
    boost::shared_ptr<CColorProfile> m_cmyk;
};

} // namespace icm
