#include "common/color.h"
#include "common/error.h"
#include "common/message_ids.h"
#include "platform/default_profiles.h"
#include "platform/test_helpers.h"
#include "support/icc_fixture.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace {

namespace fs = std::filesystem;

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

    morvane::test::TempFolder m_root;
};

TEST_F(DefaultProfiles, CmykNamesMatchWithoutRegardToCase) {
    Install("system/vendor/jAPANsTANDARD.ICC", morvane::test::MakeCmykProfile("Japan Standard"));
    icm::CDefaultProfiles defaults(Folders());
    const auto cmyk = defaults.Get(stroke::COLOR_CMYK);
    ASSERT_TRUE(cmyk);
    EXPECT_EQ(cmyk->Name(), u"Japan Standard");
    // Made once, then shared.
    EXPECT_EQ(defaults.Get(stroke::COLOR_CMYK), cmyk);
}

TEST_F(DefaultProfiles, EarlierCandidateWinsOverEarlierFolder) {
    Install("system/rswop.icm", morvane::test::MakeCmykProfile("SWOP"));
    Install("user/JapanStandard.icc", morvane::test::MakeCmykProfile("Japan Standard"));
    icm::CDefaultProfiles defaults(Folders());
    EXPECT_EQ(defaults.Get(stroke::COLOR_CMYK)->Name(), u"Japan Standard");

    fs::remove(m_root.Path() / "user/JapanStandard.icc");
    icm::CDefaultProfiles onlySwop(Folders());
    EXPECT_EQ(onlySwop.Get(stroke::COLOR_CMYK)->Name(), u"SWOP");
}

TEST_F(DefaultProfiles, CandidateOfAnotherColourSpaceIsPassedOver) {
    Install("system/JapanStandard.icc", morvane::test::MakeSrgbProfile("Misnamed RGB"));
    Install("user/RSWOP.icm", morvane::test::MakeCmykProfile("SWOP"));
    icm::CDefaultProfiles defaults(Folders());
    EXPECT_EQ(defaults.Get(stroke::COLOR_CMYK)->Name(), u"SWOP");

    fs::remove(m_root.Path() / "user/RSWOP.icm");
    icm::CDefaultProfiles onlyMisnamed(Folders());
    EXPECT_THROW(onlyMisnamed.Get(stroke::COLOR_CMYK), my::CException);
}

TEST_F(DefaultProfiles, MissingCmykProfileNamesTheSpace) {
    icm::CDefaultProfiles defaults(Folders());
    try {
        defaults.Get(stroke::COLOR_CMYK);
        FAIL() << "a CMYK profile was found";
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_id, IDS_ICM_DEFAULT_PROFILE_NOT_FOUND);
        EXPECT_EQ(e.m_text, "ICM Default color profile is not found\n\nCMYK");
    }
    try {
        defaults.Get(7);
        FAIL() << "colour type 7 accepted";
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_id, IDS_ICM_COLOR_SPACE_UNKNOWN);
    }
}

TEST_F(DefaultProfiles, FoundFileThatIsNoProfileFailsToOpen) {
    Install("user/JapanStandard.icc", std::vector<std::uint8_t>(64, 1));
    icm::CDefaultProfiles defaults(Folders());
    try {
        defaults.Get(stroke::COLOR_CMYK);
        FAIL() << "junk opened";
    } catch (const my::CException& e) {
        EXPECT_EQ(e.m_id, IDS_ICM_PROFILE_OPEN_FAILED);
    }
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
