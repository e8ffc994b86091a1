#include "common/error.h"
#include "common/message_ids.h"
#include "platform/font_engine.h"
#include "support/failure.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

using morvane::test::FailureId;

constexpr std::int32_t kEm = 1301; // a font size of 12

font::CFontRequest Request(const std::string& face, std::uint32_t style = 0,
                           std::int32_t em = kEm) {
    font::CFontRequest request;
    request.face = face;
    request.emHeight = em;
    request.weight = (style & font::FONT_STYLE_BOLD) ? font::kWeightBold : font::kWeightRegular;
    request.italic = (style & font::FONT_STYLE_ITALIC) != 0;
    return request;
}

double Advance(const font::CAbcWidths& abc) {
    return abc.a + abc.b + abc.c;
}

TEST(FontEngine, HugeEmHeightsKeepTheirPrecisionAndZeroFails) {
    const font::CFont huge(Request("DejaVu Sans", 0, 2000000000));
    EXPECT_GT(huge.Metrics().ascent, 1800000000LL);
    EXPECT_NEAR(Advance(huge.GetAbcWidths(U'W')), 2025.0 * 2000000000 / 2048, 1e-3);

    EXPECT_EQ(FailureId([] { font::CFont font(Request("DejaVu Sans", 0, 0)); }),
              IDS_FONT_CREATE_FAILED);
}

TEST(FontEngine, AbcWidthsOfLettersAndSpace) {
    const font::CFont font(Request("DejaVu Sans"));
    const font::CAbcWidths l = font.GetAbcWidths(U'l');
    const font::CAbcWidths w = font.GetAbcWidths(U'W');
    EXPECT_LT(l.b, w.b);
    EXPECT_GT(l.a, 0); // 'l' stands clear of its origin
    // DejaVu Sans advances: 'W' 2025, space 651 units of 2048.
    EXPECT_NEAR(Advance(w), 2025.0 * kEm / 2048, 1e-6);

    const font::CAbcWidths space = font.GetAbcWidths(U' ');
    EXPECT_EQ(space.a, 0);
    EXPECT_EQ(space.b, 0);
    EXPECT_NEAR(space.c, 651.0 * kEm / 2048, 1e-6);
}

TEST(FontEngine, OutlinesHaveTheirContoursInsideTheBlackBox) {
    const font::CFont font(Request("DejaVu Sans"));
    for (const auto& [c, contours] : {std::pair{U'O', 2u}, {U'B', 3u}, {U'g', 2u}}) {
        SCOPED_TRACE(static_cast<int>(c));
        const font::CGlyphOutline outline = font.GetGlyphOutline(c);
        EXPECT_EQ(outline.size(), contours);
        const font::CAbcWidths abc = font.GetAbcWidths(c);
        const double tolerance = 1e-6;
        const auto inside = [&](const my::pointd& p) {
            EXPECT_GE(p.x, abc.a - tolerance);
            EXPECT_LE(p.x, abc.a + abc.b + tolerance);
            EXPECT_GE(p.y, -font.Metrics().descent);
            EXPECT_LE(p.y, font.Metrics().ascent);
        };
        for (const auto& polygon : outline) {
            inside(polygon.start);
            ASSERT_FALSE(polygon.curves.empty());
            for (const auto& curve : polygon.curves) {
                ASSERT_TRUE(curve.type == font::CurveType::Line ||
                            curve.type == font::CurveType::Cubic);
                ASSERT_FALSE(curve.points.empty());
                for (const auto& p : curve.points) {
                    inside(p);
                }
            }
        }
    }
    // 'I' is one rectangle: four corners, the closing side implied.
    const font::CGlyphOutline i = font.GetGlyphOutline(U'I');
    ASSERT_EQ(i[0].curves.size(), 1u);
    EXPECT_EQ(i[0].curves[0].type, font::CurveType::Line);
    EXPECT_EQ(i[0].curves[0].points.size(), 3u);
    EXPECT_TRUE(font.GetGlyphOutline(U' ').empty());
}

TEST(FontEngine, MissingFacesAndCharactersAreSubstituted) {
    const font::CFont font(Request("DejaVu Sans"));
    EXPECT_NE(font.FamilyFor(U'あ').find("IPA"), std::string::npos) << font.FamilyFor(U'あ');
    EXPECT_EQ(font.FamilyFor(U'a'), "DejaVu Sans");
    // Full width: the fallback glyph is scaled to the same em.
    EXPECT_NEAR(Advance(font.GetAbcWidths(U'あ')), kEm, kEm * 0.05);

    // A character no face has gets the missing-glyph box.
    const char32_t unassigned = 0x10FFFD; // private use, plane 16
    EXPECT_NO_THROW(font.GetGlyphOutline(unassigned));
    EXPECT_GT(Advance(font.GetAbcWidths(unassigned)), 0);

    const font::CFont missing(Request("No Such Font 123"));
    EXPECT_FALSE(missing.GetGlyphOutline(U'A').empty());
    // With the Japanese character set the substitute is a Japanese face.
    font::CFontRequest japanese = Request("No Such Font 123");
    japanese.charSet = 128;
    const font::CFont jp(japanese);
    EXPECT_NE(jp.FamilyName().find("IPA"), std::string::npos) << jp.FamilyName();
}

TEST(FontEngine, EachThreadHasItsOwnEngine) {
    // Outlines made concurrently on two threads equal those made here.
    const font::CGlyphOutline expected = font::CFont(Request("DejaVu Sans")).GetGlyphOutline(U'g');
    const auto work = [&](bool& same) {
        same = true;
        for (int i = 0; i < 20; ++i) {
            const font::CFont font(Request(i % 2 ? "DejaVu Sans" : "No Such Font 123"));
            if (i % 2 && font.GetGlyphOutline(U'g').size() != expected.size()) {
                same = false;
            }
            font.GetAbcWidths(U'あ');
        }
    };
    bool first = false, second = false;
    std::thread a(work, std::ref(first));
    std::thread b(work, std::ref(second));
    a.join();
    b.join();
    EXPECT_TRUE(first);
    EXPECT_TRUE(second);
}

} // namespace
