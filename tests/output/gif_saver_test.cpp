#include "common/error.h"
#include "common/message_ids.h"
#include "gif_reader.h"
#include "output/frame_region.h"
#include "output/gif_saver.h"
#include "output/quantizer.h"
#include "output_test_util.h"
#include "support/failure.h"
#include "support/temp_folder.h"

#include <boost/make_shared.hpp>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace outtest;

// The art with every channel rounded to a multiple of 85: at most 64 colours per frame.
boost::shared_ptr<CImg> Posterized(boost::shared_ptr<CImg> img) {
    for (int y = 0; y < img->m_height; ++y) {
        for (int x = 0; x < img->m_width; ++x) {
            Bgra p = PixelAt(*img, x, y);
            auto round = [](std::uint8_t v) { return std::uint8_t((v + 42) / 85 * 85); };
            SetPixel(*img, x, y, Bgra{round(p.b), round(p.g), round(p.r), p.a});
        }
    }
    return img;
}

std::vector<boost::shared_ptr<CImg>> PosterArt(int count, bool opaque) {
    auto frames = ArtFrames(count, 80, 60, opaque);
    for (auto& frame : frames) {
        frame = Posterized(frame);
    }
    return frames;
}

// What a GIF viewer shows for a frame: below 50 % alpha nothing, else the opaque colour.
std::vector<std::uint8_t> Shown(const CImg& img) {
    std::vector<std::uint8_t> out;
    for (int y = 0; y < img.m_height; ++y) {
        for (int x = 0; x < img.m_width; ++x) {
            const Bgra p = PixelAt(img, x, y);
            if (p.a < 128) {
                out.insert(out.end(), {0, 0, 0, 0});
            } else {
                out.insert(out.end(), {p.r, p.g, p.b, 255});
            }
        }
    }
    return out;
}

void Configure(mrv::CImgSaver& saver, const CTempFolder& dir) {
    saver.m_dstFolder = dir.Str();
    saver.m_dstName = "anim";
}

TEST(AnimatedGif, OpaqueFramesRoundTripExactlyWithEveryMetadataItem) {
    CTempFolder dir;
    mrv::CAgifSaver saver;
    Configure(saver, dir);
    saver.m_mirrorReturn = true;
    saver.m_regionFrames = true;
    saver.m_loopCount = 3;
    saver.m_frameRate = 3000;
    const auto frames = PosterArt(4, true);
    ASSERT_TRUE(saver.Save(Frames(frames, true)));
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"anim.gif"});

    const CGif gif = ReadGif(dir.Path() / "anim.gif");
    ASSERT_EQ(gif.m_error, "");
    EXPECT_EQ(gif.m_width, 80);
    ASSERT_TRUE(gif.m_hasLoop);
    EXPECT_EQ(gif.m_loopBlock, (std::vector<std::uint8_t>{1, 3, 0}));
    ASSERT_EQ(gif.m_frames.size(), 6u);
    const std::size_t order[] = {0, 1, 2, 3, 2, 1};
    for (std::size_t i = 0; i < 6; ++i) {
        const CGifFrame& f = gif.m_frames[i];
        ASSERT_TRUE(f.m_hasControl);
        EXPECT_EQ(f.m_delay, 3);
        EXPECT_EQ(f.m_disposal, 0);
        EXPECT_EQ(f.m_transparent, -1);
        if (i > 0) {
            const auto rect = mrv::ChangedRegion(*frames[order[i - 1]], *frames[order[i]]);
            EXPECT_EQ(std::vector<int>({f.m_left, f.m_top, f.m_width, f.m_height}),
                      std::vector<int>({rect.m_left, rect.m_top, rect.Width(), rect.Height()}));
        }
        EXPECT_TRUE(gif.m_canvases[i] == Shown(*frames[order[i]])) << "frame " << i;
    }
}

TEST(AnimatedGif, OneTranslucentPixelMakesEveryFrameTransparentAtIndexZero) {
    CTempFolder dir;
    mrv::CAgifSaver saver;
    Configure(saver, dir);
    saver.m_regionFrames = true;
    auto frames = PosterArt(3, true);
    frames[1] = Copy(*frames[1]);
    Bgra kept = PixelAt(*frames[1], 40, 30);
    kept.a = 200; // above half: shown opaque
    SetPixel(*frames[1], 40, 30, kept);
    SetPixel(*frames[1], 2, 2, Bgra{255, 255, 255, 100}); // below half: transparent
    ASSERT_TRUE(saver.Save(Frames(frames)));

    const CGif gif = ReadGif(dir.Path() / "anim.gif");
    ASSERT_EQ(gif.m_error, "");
    ASSERT_EQ(gif.m_frames.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const CGifFrame& f = gif.m_frames[i];
        EXPECT_EQ(f.m_transparent, 0);
        EXPECT_EQ(f.m_disposal, 2);
        // Disposal 2 clears a frame's rectangle, so transparent animations use whole frames.
        EXPECT_EQ(f.m_width, 80);
        EXPECT_TRUE(gif.m_canvases[i] == Shown(*frames[i])) << "frame " << i;
    }
}

TEST(GifPalette, ManyColoursStayCloseToTheOriginal) {
    CTempFolder dir;
    mrv::CGifSaver saver;
    Configure(saver, dir);
    const auto art = FlatArt(160, 120, 0.3);
    const auto gradient = Gradient(160, 120, 5);
    for (int y = 0; y < gradient->m_height; ++y) {
        for (int x = 0; x < gradient->m_width; ++x) {
            Bgra p = PixelAt(*gradient, x, y);
            p.a = 255;
            SetPixel(*gradient, x, y, p);
        }
    }
    ASSERT_TRUE(saver.Save(Frames({art, gradient})));
    // Stated tolerance as PSNR over the RGB channels: near exact for flat art with a gradation;
    // for gradients over the whole colour cube 256 colours without dithering cannot do better
    // than about 26 dB.
    const std::pair<boost::shared_ptr<CImg>, double> limits[] = {{art, 45.0}, {gradient, 24.0}};
    for (int i = 0; i < 2; ++i) {
        const CGif gif = ReadGif(dir.Path() / saver.GetFileName(i));
        ASSERT_EQ(gif.m_error, "");
        const auto expected = Shown(*limits[i].first);
        const auto& got = gif.m_canvases[0];
        double squared = 0;
        for (std::size_t k = 0; k < got.size(); ++k) {
            const double d = double(got[k]) - double(expected[k]);
            squared += d * d;
        }
        const double mse = squared / (double(got.size()) * 3.0 / 4.0); // alpha is always equal
        const double psnr = mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99.0;
        EXPECT_GE(psnr, limits[i].second) << "image " << i;
    }
}

// Frames of more colours than a palette holds, a few hundred over and thousands over, opaque
// and transparent: every pixel gets the entry nearest to its colour, so no pixel is further
// off than the palette makes necessary.
TEST(GifPalette, EveryPixelGetsItsNearestEntry) {
    codec::CQuantizer quantizer;
    for (const unsigned seed : {2u, 8u}) {
        for (const bool transparent : {false, true}) {
            const auto img = Gradient(120, 90, seed);
            codec::CIndexedImage indexed;
            quantizer.Quantize(*img, transparent, 256, indexed);
            ASSERT_LE(indexed.m_palette.size(), 256u);
            const std::size_t first = transparent ? 1 : 0;
            for (int y = 0; y < img->m_height; ++y) {
                for (int x = 0; x < img->m_width; ++x) {
                    const Bgra p = PixelAt(*img, x, y);
                    const std::uint8_t index = indexed.m_indices[std::size_t(y * 120 + x)];
                    if (transparent && p.a < 128) {
                        ASSERT_EQ(index, 0);
                        continue;
                    }
                    const auto distance = [&](const codec::CPaletteColor& c) {
                        return (c.r - p.r) * (c.r - p.r) + (c.g - p.g) * (c.g - p.g) +
                               (c.b - p.b) * (c.b - p.b);
                    };
                    int nearest = 1 << 30;
                    for (std::size_t e = first; e < indexed.m_palette.size(); ++e) {
                        nearest = std::min(nearest, distance(indexed.m_palette[e]));
                    }
                    ASSERT_GE(index, first);
                    ASSERT_EQ(distance(indexed.m_palette[index]), nearest) << x << "," << y;
                }
            }
        }
    }
}

TEST(GifPalette, ExactColoursUpTo256AndTransparentEntryAlwaysFirst) {
    // 256 opaque colours fit exactly.
    const auto colours256 = MakeImage(16, 16, [](int x, int y) {
        return Bgra{std::uint8_t(x * 16), std::uint8_t(y * 16), std::uint8_t(x * y), 255};
    });
    codec::CQuantizer quantizer;
    codec::CIndexedImage indexed;
    quantizer.Quantize(*colours256, false, 256, indexed);
    EXPECT_TRUE(indexed.m_exact);
    EXPECT_EQ(indexed.m_palette.size(), 256u);

    // With a transparent entry 255 colours are left: libimagequant, transparent still first.
    quantizer.Quantize(*colours256, true, 256, indexed);
    EXPECT_FALSE(indexed.m_exact);
    EXPECT_EQ(indexed.m_palette[0], (codec::CPaletteColor{0, 0, 0, 0}));
    for (std::size_t i = 1; i < indexed.m_palette.size(); ++i) {
        EXPECT_NE(indexed.m_palette[i].a, 0) << i;
    }
}

TEST(GifPalette, OneQuantiserServesFramesOfEverySizeAndRefusesBadSettings) {
    // The quantiser keeps libimagequant's settings from frame to frame: a frame quantised after
    // others of other sizes and palette limits comes out as from a fresh quantiser.
    const auto gradient = Gradient(64, 48, 9);
    codec::CQuantizer fresh;
    codec::CIndexedImage expected;
    fresh.Quantize(*gradient, false, 256, expected);
    codec::CQuantizer reused;
    codec::CIndexedImage indexed;
    reused.Quantize(*Gradient(100, 20, 1), true, 16, indexed);
    EXPECT_LE(indexed.m_palette.size(), 16u);
    reused.Quantize(*gradient, false, 256, indexed);
    EXPECT_EQ(indexed.m_palette, expected.m_palette);
    EXPECT_EQ(indexed.m_indices, expected.m_indices);
    EXPECT_EQ(morvane::test::FailureId([] { codec::CQuantizer(11); }),
              IDS_WIC_PALETTE_CREATE_FAILED);
    EXPECT_EQ(morvane::test::FailureId([] { codec::CQuantizer(0); }),
              IDS_WIC_PALETTE_CREATE_FAILED);
}

TEST(GifPalette, AFewColoursOverTheLimitCostOnlyTheRarePixels) {
    // 256 colours of 16 pixels each, and 160 single pixels 3 levels of red off their block's
    // colour: only those 160 may be off, by no more than those 3 levels.
    const auto base = [](int x, int y) {
        const int k = (y * 64 + x) / 16;
        return Bgra{std::uint8_t(k), std::uint8_t(255 - k), std::uint8_t(k / 16 * 16), 255};
    };
    const auto img = MakeImage(64, 64, [&](int x, int y) {
        Bgra p = base(x, y);
        if (x % 16 == 5 && y < 40) {
            p.r = std::uint8_t(p.r + 3);
        }
        return p;
    });
    codec::CQuantizer quantizer;
    codec::CIndexedImage indexed;
    quantizer.Quantize(*img, false, 256, indexed);
    EXPECT_FALSE(indexed.m_exact);
    ASSERT_LE(indexed.m_palette.size(), 256u);
    std::uint64_t squared = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const Bgra p = PixelAt(*img, x, y);
            const codec::CPaletteColor& c = indexed.m_palette[indexed.m_indices[y * 64 + x]];
            const int d[3] = {c.r - p.r, c.g - p.g, c.b - p.b};
            squared += std::uint64_t(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        }
    }
    EXPECT_LE(squared, 160u * 9u);
}

TEST(GifStop, StopLeavesNoAnimation) {
    CTempFolder dir;
    mrv::CAgifSaver animation;
    Configure(animation, dir);
    CTerminateFlag flag;
    flag.Set();
    animation.SetTerminator(&flag);
    EXPECT_FALSE(animation.Save(Frames(PosterArt(3, true))));
    EXPECT_TRUE(dir.Files().empty());
}

TEST(GifFailures, SizesBeyondSixteenBitsAndOtherPixelTypes) {
    CTempFolder dir;
    mrv::CAgifSaver saver;
    Configure(saver, dir);
    const CSimpleErr e = FailureOf([&] {
        (void)saver.Save(Frames({Solid(70000, 1, {}), Solid(70000, 1, {})}));
    });
    EXPECT_EQ(e.m_id, IDS_NUMBER_TOO_LARGE);
    EXPECT_EQ(e.m_text, "The number is too large: 70000 (unsigned 16-bit integer)");
    auto cmyk = boost::make_shared<CImg>();
    cmyk->Allocate(CImg::PIXEL_CMYKA40, 4, 4);
    EXPECT_EQ(FailureOf([&] {
                  (void)saver.Save(Frames({cmyk, cmyk}));
              }).m_id,
              IDS_IMAGE_FORMAT_UNSUPPORTED);
    EXPECT_TRUE(dir.Files().empty());
}

} // namespace
