#include "platform/default_profiles.h"

#include "common/color.h"
#include "common/error.h"
#include "common/message_ids.h"
#include "platform/color_transform.h"

#include <algorithm>
#include <boost/make_shared.hpp>
#include <cstdlib>
#include <filesystem>
#include <optional>

namespace icm {

namespace {

namespace fs = std::filesystem;

// Colour folders hold a few subfolders (one per package); deeper trees are not profile stores.
constexpr int kMaxDepth = 4;
constexpr int kMaxEntries = 20000;

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// The shallowest match below folder (ties: the first path in name order).
std::optional<fs::path> FindInFolder(std::string_view name, const fs::path& folder) {
    std::error_code error;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied,
                                        error);
    std::optional<fs::path> best;
    int bestDepth = kMaxDepth + 1;
    int visited = 0;
    for (const fs::recursive_directory_iterator end;
         !error && it != end && ++visited <= kMaxEntries; it.increment(error)) {
        if (it.depth() >= kMaxDepth) {
            it.disable_recursion_pending();
        }
        const fs::path& path = it->path();
        std::error_code typeError;
        if (!SameNameIgnoringCase(path.filename().native(), name) ||
            !it->is_regular_file(typeError)) {
            continue;
        }
        if (it.depth() < bestDepth || (it.depth() == bestDepth && path < *best)) {
            best = path;
            bestDepth = it.depth();
        }
    }
    return best;
}

} // namespace

std::vector<std::string> SystemColorFolders() {
    std::vector<std::string> folders = {"/usr/share/color/icc", "/usr/local/share/color/icc"};
    const char* home = std::getenv("HOME");
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    // The base directory rule: a relative XDG_DATA_HOME is ignored.
    if (dataHome != nullptr && dataHome[0] == '/') {
        folders.push_back(std::string(dataHome) + "/icc");
    } else if (home != nullptr && home[0] == '/') {
        folders.push_back(std::string(home) + "/.local/share/icc");
    }
    if (home != nullptr && home[0] == '/') {
        folders.push_back(std::string(home) + "/.color/icc");
    }
    return folders;
}

std::string FindProfileFile(std::span<const std::string_view> candidates,
                            const std::vector<std::string>& folders) {
    for (const std::string_view name : candidates) {
        for (const std::string& folder : folders) {
            if (const auto found = FindInFolder(name, folder)) {
                return found->string();
            }
        }
    }
    return {};
}

CDefaultProfiles::CDefaultProfiles(std::vector<std::string> folders)
    : m_folders(std::move(folders)) {}

CDefaultProfiles& CDefaultProfiles::System() {
    static CDefaultProfiles system(SystemColorFolders());
    return system;
}

boost::shared_ptr<CColorProfile> CDefaultProfiles::Get(std::uint32_t colorType) {
    std::lock_guard lock(m_mutex);
    switch (colorType) {
    case stroke::COLOR_RGB:
        if (!m_rgb) {
            m_rgb = Open(kRgbCandidates, stroke::COLOR_RGB, true);
        }
        return m_rgb;
    case stroke::COLOR_CMYK:
        if (!m_cmyk) {
            m_cmyk = Open(kCmykCandidates, stroke::COLOR_CMYK, false);
        }
        return m_cmyk;
    default:
        throw my::CException(IDS_ICM_COLOR_SPACE_UNKNOWN, colorType);
    }
}

boost::shared_ptr<CColorProfile>
CDefaultProfiles::Open(std::span<const std::string_view> candidates, std::uint32_t colorType,
                       bool builtInFallback) {
    // Installed profiles count for the colour space their data are in, so a file of another
    // space under a candidate's name is passed over.
    for (const std::string_view& candidate : candidates) {
        const std::string path = FindProfileFile({&candidate, 1}, m_folders);
        if (path.empty()) {
            continue;
        }
        auto profile = boost::make_shared<CColorProfile>();
        try {
            profile->Load(path);
        } catch (const my::CException& e) {
            if (e.m_id == IDS_ICM_PROFILE_OPEN_FAILED) {
                throw;
            }
            // The file was found but could not be read: still a failure to open the profile.
            my::CException failure(IDS_ICM_PROFILE_OPEN_FAILED,
                                   path + ": " + my::SystemErrorText(int(e.m_code)));
            failure.m_code = e.m_code;
            throw failure;
        }
        if (ProfileMatchesType(*profile, colorType)) {
            return profile;
        }
    }
    if (builtInFallback) {
        return boost::make_shared<CColorProfile>();
    }
    throw my::CException(IDS_ICM_DEFAULT_PROFILE_NOT_FOUND,
                         colorType == stroke::COLOR_CMYK ? "CMYK" : "RGB");
}

} // namespace icm
