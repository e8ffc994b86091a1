#include "common/error.h"
#include "common/message_ids.h"
#include "platform/color_profile.h"
#include "platform/test_helpers.h"
#include "support/failure.h"
#include "support/icc_fixture.h"
#include "support/open_files.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using morvane::test::FindTag;
using morvane::test::MakeCmykProfile;
using morvane::test::MakeSrgbProfile;
using morvane::test::OpenProfile;

// The text of the 58994 raised when bytes are opened, or "" when they open.
std::string OpenFailure(std::vector<std::uint8_t> bytes) {
    const CSimpleErr failure = morvane::test::FailureOf([&] { OpenProfile(std::move(bytes)); });
    EXPECT_TRUE(failure.m_id == 0 || failure.m_id == IDS_ICM_PROFILE_OPEN_FAILED) << failure.m_text;
    return failure.m_text;
}

void PutBigEndian32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = std::uint8_t(value >> (24 - 8 * i));
    }
}

TEST(ColorProfile, NameComesFromEitherIccVersionAndTheHeaderDecidesSameness) {
    const std::vector<std::uint8_t> bytes = MakeSrgbProfile("A");
    const CColorProfile a = OpenProfile(bytes);
    EXPECT_EQ(a.Name(), u"A");
    EXPECT_EQ(a.ColorSpace(), CColorProfile::kSignatureRgb);
    EXPECT_TRUE(std::equal(a.GetHeader().begin(), a.GetHeader().end(), bytes.begin()));
    EXPECT_EQ(OpenProfile(MakeSrgbProfile("Studio RGB v4", 4.3)).Name(), u"Studio RGB v4");
    const CColorProfile cmyk = OpenProfile(MakeCmykProfile("A"));
    EXPECT_EQ(cmyk.ColorSpace(), CColorProfile::kSignatureCmyk);
    EXPECT_FALSE(a.IsSame(cmyk));

    // Same header, other name: the same colour space.
    std::vector<std::uint8_t> renamed = bytes;
    const auto desc = FindTag(renamed, "desc");
    ASSERT_GT(desc.size, 13u);
    renamed[desc.offset + 12] = 'B';
    const CColorProfile b = OpenProfile(renamed);
    EXPECT_EQ(b.Name(), u"B");
    EXPECT_TRUE(a.IsSame(b));
}

TEST(ColorProfile, MalformedDescriptionsAreRefused) {
    const std::vector<std::uint8_t> bytes = MakeSrgbProfile("Name");
    const auto desc = FindTag(bytes, "desc");

    std::vector<std::uint8_t> overlong = bytes;
    PutBigEndian32(overlong, desc.offset + 8, desc.size); // text would run past the tag
    EXPECT_NE(OpenFailure(overlong).find("description tag is malformed"), std::string::npos);

    std::vector<std::uint8_t> zero = bytes;
    PutBigEndian32(zero, desc.offset + 8, 0);
    EXPECT_FALSE(OpenFailure(zero).empty());

    std::vector<std::uint8_t> unnamed = bytes;
    // Rename the tag table's "desc" entry so that the profile has no description.
    for (std::size_t at = 132; at + 4 <= 132 + 12 * 32 && at + 4 <= unnamed.size(); at += 12) {
        if (std::equal(unnamed.begin() + at, unnamed.begin() + at + 4, "desc")) {
            std::copy_n("zzzz", 4, unnamed.begin() + at);
        }
    }
    EXPECT_NE(OpenFailure(unnamed).find("no description tag"), std::string::npos);
}

TEST(ColorProfile, BytesThatAreNoProfileAreRefusedAndLeaveTheProfileAsItWas) {
    EXPECT_EQ(OpenFailure({}), "ICM Failed to open color profile\n\nthe profile is empty");
    EXPECT_FALSE(OpenFailure(std::vector<std::uint8_t>(300, 0x41)).empty());
    std::vector<std::uint8_t> truncated = MakeSrgbProfile("Cut");
    truncated.resize(truncated.size() / 2);
    EXPECT_FALSE(OpenFailure(truncated).empty());

    CColorProfile profile = OpenProfile(MakeCmykProfile("Kept"));
    EXPECT_THROW(profile.LoadFromMemory({1, 2, 3}), my::CException);
    EXPECT_EQ(profile.Name(), u"Kept");
    EXPECT_EQ(profile.ColorSpace(), CColorProfile::kSignatureCmyk);
}

TEST(ColorProfile, DefaultClosedAndCopiedProfiles) {
    const CColorProfile working;
    EXPECT_FALSE(working.HasData());
    EXPECT_EQ(working.ColorSpace(), CColorProfile::kSignatureRgb);
    EXPECT_NE(working.Handle(), nullptr);
    EXPECT_FALSE(working.Name().empty());
    // The working space opens from its own bytes like any profile.
    EXPECT_TRUE(OpenProfile(CColorProfile::WorkingSpaceBytes()).IsSame(working));

    CColorProfile closed = OpenProfile(MakeCmykProfile("Gone"));
    closed.Close();
    EXPECT_FALSE(closed.HasData());
    EXPECT_TRUE(closed.IsSame(working));
    EXPECT_EQ(closed.Name(), working.Name());

    // Copies own their handles.
    auto original = std::make_unique<CColorProfile>(OpenProfile(MakeCmykProfile("Copied")));
    const CColorProfile copy = *original;
    EXPECT_NE(copy.Handle(), original->Handle());
    original.reset();
    EXPECT_EQ(copy.Name(), u"Copied");
    EXPECT_EQ(copy.ColorSpace(), CColorProfile::kSignatureCmyk);
}

TEST(ColorProfile, LoadReadsAFileAndNamesItInFailures) {
    const morvane::test::CTempFolder folder;
    CColorProfile profile;
    profile.Load(folder.Write("press.icc", MakeCmykProfile("From file")));
    EXPECT_EQ(profile.Name(), u"From file");

    const std::string junk = folder.Write("junk.icc", std::vector<std::uint8_t>(200, 7));
    const std::size_t descriptors = morvane::test::OpenDescriptorCount();
    const CSimpleErr err = morvane::test::FailureOf([&] { profile.Load(junk); });
    EXPECT_EQ(morvane::test::OpenDescriptorCount(), descriptors);
    EXPECT_EQ(err.m_id, IDS_ICM_PROFILE_OPEN_FAILED);
    EXPECT_NE(err.m_text.find(junk), std::string::npos) << err.m_text;
    EXPECT_EQ(
        morvane::test::FailureId([&] { profile.Load((folder.Path() / "absent.icc").string()); }),
        std::uint32_t(IDS_FILE_OPEN_FAILED));
    EXPECT_EQ(profile.Name(), u"From file");
}

} // namespace
