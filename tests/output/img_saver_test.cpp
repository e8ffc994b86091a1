#include "common/error.h"
#include "common/message_ids.h"
#include "output/checked_cast.h"
#include "output/codec_saver.h"
#include "output/frame_region.h"
#include "output/img_saver.h"
#include "output_test_util.h"
#include "support/failure.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

using namespace outtest;

// A saver that keeps the output frames as the common part hands them to the format (mirrored,
// cut to their regions, with their records) instead of encoding them, so that part can be
// checked alone. Save runs on one thread, so the frames can be kept from the const Encode.
class CRecordingSaver : public mrv::CImgSaver {
public:
    explicit CRecordingSaver(bool animated) : m_animated(animated) {}
    bool IsAnimated() const override { return m_animated; }
    std::int32_t GetFormat() const override { return m_animated ? 1 : 0; }
    std::string GetExtension() const override { return "png"; }
    std::unique_ptr<codec::CImgSaver> MakeEncoder() const override {
        return std::make_unique<codec::CImgSaver>(codec::Container::Png, codec::TargetFormat::Own,
                                                  0);
    }

    mrv::CAnimationHeader m_header;
    mutable std::vector<mrv::CImgPtr> m_frames;
    std::vector<mrv::CFrameRecord> m_records;

protected:
    void Start(const CImg&, bool) override {
        m_header = CImgSaver::m_header;
        m_frames.clear();
        m_records.clear();
    }
    void EncodeImage(const CImg& img, const mrv::CFrameRecord&, std::uint32_t, codec::CImgSaver&,
                     std::vector<std::uint8_t>&) const override {
        m_frames.push_back(Copy(img));
    }
    void AppendFrame(const mrv::CEncodedFrame& frame) override {
        m_records.push_back(frame.m_record);
    }

private:
    bool m_animated;
};

// Frames told apart by the colour of their top-left pixel.
std::vector<boost::shared_ptr<CImg>> Numbered(int count, int width = 4, int height = 3) {
    std::vector<boost::shared_ptr<CImg>> frames;
    for (int i = 0; i < count; ++i) {
        frames.push_back(Solid(width, height, Bgra{std::uint8_t(i), 0, 0, 255}));
    }
    return frames;
}

std::vector<int> Order(const CRecordingSaver& saver) {
    std::vector<int> order;
    for (const auto& frame : saver.m_frames) {
        order.push_back(PixelAt(*frame, 0, 0).b);
    }
    return order;
}

TEST(SaverNames, NumbersArePaddedToDigitsAndWrittenWholeWhenLonger) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    struct Case {
        std::int32_t startNo, digits, index;
        const char* name;
    };
    const Case cases[] = {
        {1, 3, 1, "f002.png"},
        {98, 2, 2, "f100.png"},
        {5, 0, 7, "f12.png"},
        {kMax, 1, 1, "f2147483648.png"}, // the start number does not overflow
    };
    CRecordingSaver saver(false);
    saver.m_dstName = "f";
    for (const Case& c : cases) {
        saver.m_startNo = c.startNo;
        saver.m_digits = c.digits;
        EXPECT_EQ(saver.GetFileName(c.index), c.name);
    }
    saver.m_digits = kMax;
    EXPECT_LT(saver.GetFileName(0).size(), 300u);

    // Animated savers write one unnumbered file.
    CRecordingSaver animated(true);
    animated.m_dstName = "anim";
    animated.m_startNo = 7;
    animated.m_digits = 4;
    std::vector<std::string> paths;
    animated.ListFilePaths(paths, 7);
    EXPECT_EQ(paths, std::vector<std::string>{"anim.png"});
}

TEST(SaverFrames, MirrorsOnlyRoundTripListsOfMoreThanTwoFrames) {
    CRecordingSaver saver(true);
    saver.m_mirrorReturn = true;

    ASSERT_TRUE(saver.Save(Frames(Numbered(4), true)));
    EXPECT_EQ(Order(saver), (std::vector<int>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(saver.m_header.m_frameCount, 6u);

    ASSERT_TRUE(saver.Save(Frames(Numbered(2), true)));
    EXPECT_EQ(Order(saver), (std::vector<int>{0, 1}));

    ASSERT_TRUE(saver.Save(Frames(Numbered(4), false)));
    EXPECT_EQ(Order(saver), (std::vector<int>{0, 1, 2, 3}));
}

TEST(SaverRegions, ChangedRectangleIsExactAndIdenticalFramesGiveOnePixel) {
    auto a = FlatArt(40, 30, 0.0);
    auto b = Copy(*a);
    EXPECT_EQ(mrv::ChangedRegion(*a, *b), (mrv::CFrameRecord{0, 0, 1, 1, 0, 0}));

    // Only the alpha byte of one pixel changes.
    Bgra p = PixelAt(*b, 5, 7);
    p.a = 254;
    SetPixel(*b, 5, 7, p);
    EXPECT_EQ(mrv::ChangedRegion(*a, *b), (mrv::CFrameRecord{5, 7, 6, 8, 0, 0}));

    // Changes in opposite corners span both.
    SetPixel(*b, 39, 2, Bgra{1, 2, 3, 4});
    SetPixel(*b, 0, 29, Bgra{1, 2, 3, 4});
    EXPECT_EQ(mrv::ChangedRegion(*a, *b), (mrv::CFrameRecord{0, 2, 40, 30, 0, 0}));
}

TEST(SaverRegions, LaterFramesAreCutToWhatChangedSinceTheOutputFrameBefore) {
    CRecordingSaver saver(true);
    saver.m_regionFrames = true;
    saver.m_mirrorReturn = true;
    auto f0 = Solid(20, 10, Bgra{9, 9, 9, 255});
    auto f1 = Copy(*f0);
    SetPixel(*f1, 3, 4, Bgra{1, 1, 1, 255});
    auto f2 = Copy(*f1);
    SetPixel(*f2, 15, 8, Bgra{2, 2, 2, 255});
    ASSERT_TRUE(saver.Save(Frames({f0, f1, f2}, true))); // plays 0 1 2 1

    ASSERT_EQ(saver.m_records.size(), 4u);
    EXPECT_EQ(saver.m_records[0], (mrv::CFrameRecord{0, 0, 20, 10, 10, 0}));
    EXPECT_EQ(saver.m_records[1], (mrv::CFrameRecord{3, 4, 4, 5, 10, 0}));
    EXPECT_EQ(saver.m_records[3], (mrv::CFrameRecord{15, 8, 16, 9, 10, 0}));
    ASSERT_EQ(saver.m_frames[1]->m_width, 1);
    EXPECT_EQ(PixelAt(*saver.m_frames[1], 0, 0), (Bgra{1, 1, 1, 255}));
    EXPECT_EQ(PixelAt(*saver.m_frames[3], 0, 0), (Bgra{9, 9, 9, 255}));
}

TEST(SaverRegions, SequencesAndMismatchedFrames) {
    CRecordingSaver sequence(false);
    sequence.m_regionFrames = true;
    ASSERT_TRUE(sequence.Save(Frames({FlatArt(8, 8, 0), FlatArt(8, 8, 1)})));
    EXPECT_EQ(sequence.m_records[1], (mrv::CFrameRecord{0, 0, 8, 8, 10, 0}));

    CRecordingSaver animation(true);
    animation.m_regionFrames = true;
    EXPECT_EQ(FailureOf([&] {
                  (void)animation.Save(Frames({Solid(8, 8, {}), Solid(8, 9, {})}));
              }).m_id,
              IDS_IMAGE_FORMAT_UNSUPPORTED);
}

TEST(SaverRanges, ValuesOutsideTheTargetTypeNameValueAndType) {
    CSimpleErr e = FailureOf([] { (void)codec::CheckedCast<std::uint16_t>(70000); });
    EXPECT_EQ(e.m_id, IDS_NUMBER_TOO_LARGE);
    EXPECT_EQ(e.m_text, "The number is too large: 70000 (unsigned 16-bit integer)");
    e = FailureOf([] { (void)codec::CheckedCast<std::uint32_t>(-1); });
    EXPECT_EQ(e.m_id, IDS_NUMBER_TOO_SMALL);
    EXPECT_EQ(e.m_text, "The number is too small: -1 (unsigned 32-bit integer)");
    EXPECT_THROW((void)codec::CheckedCast<std::int32_t>(std::size_t{2147483648u}), my::CException);
    EXPECT_EQ(codec::CheckedTrunc<std::int32_t>(3779.527), 3779);
    EXPECT_THROW((void)codec::CheckedTrunc<std::int32_t>(3e9), my::CException);
    EXPECT_THROW((void)codec::CheckedTrunc<std::int32_t>(std::nan("")), my::CException);
}

TEST(SaverRanges, BrokenFrameListsAreRefused) {
    CRecordingSaver saver(true);
    mrv::CFrameList list;
    list.m_images.push_back(nullptr);
    EXPECT_THROW((void)saver.Save(list), my::CException);

    auto shortBuffer = Solid(4, 4, {});
    shortBuffer->m_bits.resize(8);
    EXPECT_THROW((void)saver.Save(Frames({shortBuffer})), my::CException);
}

} // namespace
