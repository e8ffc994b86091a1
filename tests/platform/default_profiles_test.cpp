#include "common/color.h"
#include "common/error.h"
#include "common/message_ids.h"
#include "platform/default_profiles.h"
#include "support/failure.h"
#include "support/icc_fixture.h"
#include "support/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace {

namespace fs = std::filesystem;
using morvane::test::FailureId;
using morvane::test::FailureOf;

class DefaultProfiles : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_root.Path() / "system" / "vendor");
        fs::create_directories(m_root.Path() / "user");
    }

    void Install(const fs::path& relative, const std::vector<std::uint8_t>& bytes) {
        m_root.Write(relative, bytes);
    }
    std::vector<std::string> Folders() const {
        return {(m_root.Path() / "system").string(), (m_root.Path() / "user").string()};
    }

    morvane::test::CTempFolder m_root;
};

TEST_F(DefaultProfiles, CmykCandidatesMatchWithoutCaseInTheirOwnOrder) {
    Install("system/vendor/RSWOP.icm", morvane::test::MakeCmykProfile("SWOP"));
    Install("user/jAPANsTANDARD.ICC", morvane::test::MakeCmykProfile("Japan Standard"));
    icm::CDefaultProfiles defaults(Folders());
    const auto cmyk = defaults.Get(stroke::COLOR_CMYK);
    ASSERT_TRUE(cmyk);
    EXPECT_EQ(cmyk->Name(), u"Japan Standard"); // the earlier candidate, from the later folder
    EXPECT_EQ(defaults.Get(stroke::COLOR_CMYK), cmyk); // made once, then shared

    // A candidate of another colour space is passed over.
    Install("user/jAPANsTANDARD.ICC", morvane::test::MakeSrgbProfile("Misnamed RGB"));
    EXPECT_EQ(icm::CDefaultProfiles(Folders()).Get(stroke::COLOR_CMYK)->Name(), u"SWOP");
    fs::remove(m_root.Path() / "system/vendor/RSWOP.icm");
    EXPECT_EQ(FailureId([&] { icm::CDefaultProfiles(Folders()).Get(stroke::COLOR_CMYK); }),
              std::uint32_t(IDS_ICM_DEFAULT_PROFILE_NOT_FOUND));
}

TEST_F(DefaultProfiles, MissingOrBrokenProfilesFailWithTheirMessages) {
    icm::CDefaultProfiles defaults(Folders());
    const CSimpleErr missing = FailureOf([&] { defaults.Get(stroke::COLOR_CMYK); });
    EXPECT_EQ(missing.m_id, IDS_ICM_DEFAULT_PROFILE_NOT_FOUND);
    EXPECT_EQ(missing.m_text, "ICM Default color profile is not found\n\nCMYK");
    EXPECT_EQ(FailureId([&] { defaults.Get(7); }), std::uint32_t(IDS_ICM_COLOR_SPACE_UNKNOWN));

    Install("user/JapanStandard.icc", std::vector<std::uint8_t>(64, 1));
    EXPECT_EQ(FailureId([&] { icm::CDefaultProfiles(Folders()).Get(stroke::COLOR_CMYK); }),
              std::uint32_t(IDS_ICM_PROFILE_OPEN_FAILED));
}

TEST_F(DefaultProfiles, RgbFallsBackToTheBuiltInWorkingSpace) {
    icm::CDefaultProfiles builtIn(Folders());
    const auto rgb = builtIn.Get(stroke::COLOR_RGB);
    EXPECT_TRUE(rgb->IsSame(CColorProfile()));
    EXPECT_EQ(rgb->ColorSpace(), CColorProfile::kSignatureRgb);

    Install("system/SRGB COLOR SPACE PROFILE.ICM", morvane::test::MakeSrgbProfile("sRGB file"));
    icm::CDefaultProfiles installed(Folders());
    EXPECT_EQ(installed.Get(stroke::COLOR_RGB)->Name(), u"sRGB file");
}

TEST_F(DefaultProfiles, ConcurrentFirstRequestsShareOneProfile) {
    Install("system/JapanStandard.icc", morvane::test::MakeCmykProfile("Japan Standard"));
    icm::CDefaultProfiles defaults(Folders());
    std::vector<boost::shared_ptr<CColorProfile>> seen(4);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&, i] { seen[i] = defaults.Get(stroke::COLOR_CMYK); });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (const auto& profile : seen) {
        EXPECT_EQ(profile, seen[0]);
    }
}

} // namespace
