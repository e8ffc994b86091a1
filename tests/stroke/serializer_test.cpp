// The stroke file reader over files made by the test writer: every field read back, every
// failure with its message, and the bounds that keep hostile files harmless.
#include "common/message_ids.h"
#include "stroke/figures.h"
#include "stroke/gradation.h"
#include "stroke/serializer.h"
#include "stroke/texture.h"
#include "support/failure.h"
#include "support/icc_fixture.h"
#include "support/open_files.h"
#include "support/strk_writer.h"
#include "support/temp_folder.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

namespace {

using namespace morvane::test;
using stroke::CColor;
using stroke::CSerializer;

stroke::ModelPtr Read(const std::vector<std::uint8_t>& bytes) {
    io::CMemoryInputStream stream(bytes);
    return CSerializer::ReadModel(stream);
}

stroke::ModelPtr Read(const StrkWriter& writer) {
    return Read(writer.Bytes());
}

CSimpleErr FailureOfRead(const std::vector<std::uint8_t>& bytes) {
    return FailureOf([&] { Read(bytes); });
}

// The message ID and English text of the failure reading bytes gives.
void ExpectFailure(const std::vector<std::uint8_t>& bytes, std::uint32_t id,
                   const std::string& text) {
    const CSimpleErr err = FailureOfRead(bytes);
    EXPECT_EQ(err.m_id, std::int32_t(id));
    EXPECT_EQ(err.m_text, text);
}

template <class T> const T& As(const stroke::FigurePtr& figure) {
    const T* typed = dynamic_cast<const T*>(figure.get());
    if (typed == nullptr) {
        throw std::logic_error("unexpected figure class");
    }
    return *typed;
}

TEST(SerializerTest, MinimalModelReadsAndOneMoreByteIsRefused) {
    StrkWriter writer;
    writer.Model().unit = 1;
    writer.Model().colorType = 1;
    writer.Model().resolution = 300.0;
    writer.Model().pageWidth = 640.0;
    writer.Model().pageHeight = 480.0;
    const auto model = Read(writer);
    EXPECT_EQ(model->GetChildCount(), 0u);
    EXPECT_EQ(model->m_unit, 1u);
    EXPECT_EQ(model->m_colorType, 1u);
    EXPECT_FALSE(model->m_colorProfile); // profile tag 0: the file names no profile
    EXPECT_EQ(model->m_resolution, 300.0);
    EXPECT_EQ(model->m_width, 640.0);
    EXPECT_EQ(model->m_height, 480.0);

    writer.trailing = {0};
    ExpectFailure(writer.Bytes(), 58951, "File is is too large");
}

TEST(SerializerTest, HeaderMustSayStrokeAndNotBeNewer) {
    StrkWriter writer;
    writer.magic = "Stroke";
    ExpectFailure(writer.Bytes(), 58952, "Unknown file format");
    ExpectFailure({'s', 't', 'r', 'o'}, 58952, "Unknown file format");

    writer.magic = "stroke";
    writer.version = 0x01000002;
    ExpectFailure(writer.Bytes(), 58954, "Unknown file version format");
    // Missing version bytes are a short read, not a format question.
    EXPECT_EQ(FailureOfRead({'s', 't', 'r', 'o', 'k', 'e', 1}).m_id, 58948);

    writer.version = 0x00FFFFFF;
    EXPECT_NO_THROW(Read(writer));
}

// The failure of a file that `change` spoils.
void ExpectBroken(const std::function<void(StrkWriter&)>& change, std::uint32_t id,
                  const std::string& text) {
    StrkWriter writer;
    change(writer);
    ExpectFailure(writer.Bytes(), id, text);
}

TEST(SerializerTest, UnexpectedClassTagsNameTheTag) {
    const auto expect = [](const std::function<void(StrkWriter&)>& change, const char* tag) {
        ExpectBroken(change, 58956, std::string("Unknown class ID\n\n") + tag);
    };
    expect([](StrkWriter& w) { w.Model().Layer().Layer().tag = kTagModel; }, "32768");
    expect([](StrkWriter& w) { w.rootTag = kTagLayer; }, "32769");
    expect([](StrkWriter& w) { w.Model().profileTag = 1; }, "1");
    expect(
        [](StrkWriter& w) {
            StrkTexture texture;
            texture.bitmap = SolidBitmap(0, 1, 1, {1, 2, 3, 4});
            texture.bitmap->tag = kTagColorProfile;
            w.Model().Line().Fill(texture);
        },
        "3");
}

TEST(SerializerTest, CountsBeyondTheFileAreFormatErrorsAndCutRecordsAreShortReads) {
    // A count larger than the whole file cannot be right: the file is not a stroke file.
    const auto tooMany = [](const std::function<void(StrkWriter&)>& change) {
        ExpectBroken(change, 58953, "Unknown file format (object exists too many)");
    };
    tooMany([](StrkWriter& w) { w.Model().childCount = 0xFFFFFFFF; });
    tooMany([](StrkWriter& w) { w.Model().Line().nameByteCount = 0x7FFFFFFF; });

    // A count within the file size whose records the bytes left cannot hold: the file ends
    // inside them, which is a short read, refused before anything is allocated for them.
    const auto cut = [](const std::function<void(StrkWriter&, std::uint32_t)>& change) {
        StrkWriter sized;
        change(sized, 0);
        const auto size = std::uint32_t(sized.Bytes().size());
        StrkWriter writer;
        change(writer, size); // a count as large as the whole file, which is not too many
        ExpectFailure(writer.Bytes(), 58948, "Failed to read from stream - No data available");
    };
    cut([](StrkWriter& w, std::uint32_t n) { w.Model().childCount = n; });
    cut([](StrkWriter& w, std::uint32_t n) { w.Model().Line().nameByteCount = n; });
    cut([](StrkWriter& w, std::uint32_t n) { w.Model().Line().Part().Point(0, 0).pointCount = n; });
    cut([](StrkWriter& w, std::uint32_t n) {
        StrkGradation gradation;
        gradation.stopCount = n;
        w.Model().Layer().Stroke(gradation);
    });
    // A file that ends inside the second of three points (76 bytes each with their handles,
    // then 42 bytes of the model's own fields): the count fits the file, the points do not.
    StrkWriter writer;
    writer.Model().Line(u"l").Part().Point(1, 2).Point(3, 4).Point(5, 6);
    const auto bytes = writer.Bytes();
    ExpectFailure(Truncated(bytes, bytes.size() - 170), 58948,
                  "Failed to read from stream - No data available");
}

TEST(SerializerTest, EveryCutAfterTheHeaderIsAShortRead) {
    StrkWriter writer;
    auto& line = writer.Model().Layer(u"a").Line(u"l");
    line.Stroke(Mono({1, 2, 3, 4, 5})).Part(true).Point(1, 2, 3).Point(4, 5, 6);
    writer.Model().Text(u"t", u"hello");
    const auto bytes = writer.Bytes();
    for (std::size_t n = 10; n < bytes.size(); ++n) {
        EXPECT_EQ(FailureOfRead(Truncated(bytes, n)).m_id, 58948) << n;
    }
    ExpectFailure(Truncated(bytes, bytes.size() - 1), 58948,
                  "Failed to read from stream - No data available");
}

TEST(SerializerTest, ValuesNoDrawingCanHaveAreFormatErrorsNamingThem) {
    const double inf = std::numeric_limits<double>::infinity();
    const auto invalid = [](const std::function<void(StrkWriter&)>& change, const char* what) {
        ExpectBroken(change, 60020, std::string("Unknown file format (invalid value)\n\n") + what);
    };
    invalid([](StrkWriter& w) { w.Model().colorType = 2; }, "colour type: 2");
    invalid([&](StrkWriter& w) { w.Model().pageWidth = inf; }, "page width: inf");
    invalid([](StrkWriter& w) { w.Model().pageHeight = std::nan(""); }, "page height: nan");
    invalid([](StrkWriter& w) { w.Model().pageWidth = -0.5; }, "page width: -0.5");
    invalid([](StrkWriter& w) { w.Model().Layer().Line().lineCap = 8; }, "line cap: 8");
    invalid([](StrkWriter& w) { w.Model().Text(u"t", u"x").lineJoin = 0xFFFFFFFF; },
            "line join: 4294967295");

    // What drawings do hold reads: no cap bit or several, a page without size, CMYK, and a unit
    // that only drawing refuses (with its own message).
    StrkWriter writer;
    writer.Model().colorType = 1;
    writer.Model().pageWidth = 0.0;
    writer.Model().unit = 7;
    writer.Model().Line().lineCap = 0;
    writer.Model().Text(u"t", u"x").lineJoin = 7;
    EXPECT_NO_THROW(Read(writer));
}

TEST(SerializerTest, EveryFieldReadsBackWithParentLinks) {
    StrkWriter writer;
    auto& m = writer.Model();
    m.Stroke(Mono({9, 9, 9, 9, 9}));
    auto& layer = m.Layer(u"layer \u00e9");
    layer.Fill(Gradation(45.0, {{true, {1, 2, 3, 4, 5}, 0.25}, {false, {6, 7, 8, 9, 10}, 0.75}}));
    auto& line = layer.Line(u"line");
    line.lineJoin = 4;
    line.Stroke(Mono({65535, 0, 0, 0, 65535}));
    line.Part(true).Point(1, 2, 3).Handles(0, 2, 2, 2).Point(5, 6, 7);
    line.parts[0].points[1].flags = 0x11;
    line.Part(false).BarePoint(10, 10, 1); // no handles at all
    auto& text = m.Text(u"caption", u"Hi\nthere");
    text.selEnd = -7;
    text.textSetting->fontFace = u"Serif";
    text.textSetting->fontSize = 24.0;
    text.textSetting->thirdSpacing = 3.5;
    text.Part().Point(0, 100).Point(200, 100);
    StrkTexture texture;
    texture.path = u"C:\\tex.png";
    texture.alpha = 30000;
    texture.sameRate = false;
    texture.offsetY = 7.0;
    m.Text(u"plain", u"").textSetting.reset();
    m.children.back()->Fill(texture);

    const auto model = Read(writer);
    EXPECT_NO_THROW(model->CheckParents()); // every level links to its holder
    ASSERT_TRUE(model->m_lineFill);         // stored, though the conversion leaves it alone
    ASSERT_EQ(model->GetChildCount(), 3u);

    const auto& readLayer = As<stroke::CLayer>(model->GetChild(0));
    EXPECT_EQ(readLayer.m_name, u"layer \u00e9");
    const auto& gradation = dynamic_cast<const stroke::CGradationSetting&>(*readLayer.m_areaFill);
    EXPECT_EQ(gradation.m_angle, 45.0);
    ASSERT_EQ(gradation.m_colors.size(), 2u);
    EXPECT_EQ(gradation.m_colors[1], (stroke::CColorStop{false, {6, 7, 8, 9, 10}, 0.75}));

    const auto& readLine = As<stroke::CLine>(readLayer.GetChild(0));
    EXPECT_EQ(readLine.m_lineJoin, 4u);
    EXPECT_EQ(dynamic_cast<const stroke::CMonoSetting&>(*readLine.m_lineFill).m_color,
              (CColor{65535, 0, 0, 0, 65535}));
    ASSERT_EQ(readLine.m_parts.size(), 2u);
    const auto& part = *readLine.m_parts[0];
    EXPECT_TRUE(part.IsClosed());
    ASSERT_EQ(part.m_points.size(), 2u);
    EXPECT_EQ(part.m_points[0]->m_width, 3.0);
    EXPECT_EQ(part.m_points[0]->OutHandle(), (my::pointd{2, 2}));
    EXPECT_EQ(part.m_points[1]->m_flags, 0x11u);
    const auto& bare = *readLine.m_parts[1]->m_points[0];
    EXPECT_TRUE(bare.m_tangents.empty());
    EXPECT_EQ(bare.OutHandle(), (my::pointd{10, 10}));

    const auto& readText = As<stroke::CText>(model->GetChild(1));
    EXPECT_EQ(readText.m_text, u"Hi\nthere");
    EXPECT_EQ(readText.m_selEnd, -7);
    ASSERT_TRUE(readText.m_textSetting);
    EXPECT_EQ(readText.m_textSetting->m_fontFace, u"Serif");
    EXPECT_EQ(readText.m_textSetting->m_fontSize, 24.0);
    EXPECT_EQ(readText.m_textSetting->m_thirdSpacing, 3.5);

    const auto& plain = As<stroke::CText>(model->GetChild(2));
    EXPECT_FALSE(plain.m_textSetting);
    const auto& readTexture = dynamic_cast<const stroke::CTextureSetting&>(*plain.m_areaFill);
    EXPECT_EQ(readTexture.m_path, u"C:\\tex.png");
    EXPECT_EQ(readTexture.m_alpha, 30000);
    EXPECT_FALSE(readTexture.m_sameRate);
    EXPECT_EQ(readTexture.m_offsetY, 7.0);
}

// The bytes of pixel (0, 0) and the row stride of a bitmap read from a texture fill.
struct ReadBitmap {
    boost::shared_ptr<CImg> img;
    std::vector<std::uint8_t> Pixel() const {
        const std::size_t bytes = (CImg::BitsPerPixel(img->m_pixelType) + 7) / 8;
        return {img->Row(0), img->Row(0) + bytes};
    }
};

ReadBitmap ReadTextureBitmap(StrkBitmap bitmap) {
    StrkWriter writer;
    StrkTexture texture;
    texture.bitmap = std::move(bitmap);
    writer.Model().Layer().Fill(texture);
    const auto model = Read(writer);
    const auto& layer = As<stroke::CLayer>(model->GetChild(0));
    return {dynamic_cast<const stroke::CTextureSetting&>(*layer.m_areaFill).m_bitmap};
}

TEST(SerializerTest, BitmapsOfEveryPixelFormatDecode) {
    const std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> cases = {
        {0, {10, 20, 30, 40}}, {1, {10, 20, 30}}, {2, {1, 2, 3, 4, 200}},
        {3, {5, 6, 7, 8}},     {4, {123}},        {5, {1}},
    };
    for (const auto& [type, pixel] : cases) {
        StrkBitmap bitmap = SolidBitmap(type, 9, 2, pixel);
        bitmap.dpiX = 72.0;
        bitmap.dpiY = 144.0;
        bitmap.context = StrkColorContext{7, 8, {1, 2, 3}};
        const ReadBitmap read = ReadTextureBitmap(bitmap);
        ASSERT_TRUE(read.img) << type;
        EXPECT_EQ(read.img->m_pixelType, type);
        EXPECT_EQ(read.img->m_width, 9);
        EXPECT_EQ(read.img->m_dpiY, 144.0);
        ASSERT_TRUE(read.img->m_context);
        EXPECT_EQ(read.img->m_context->m_profile, (std::vector<std::uint8_t>{1, 2, 3}));
        if (type == 5) {
            EXPECT_EQ(read.img->Row(1)[0], 0xFF); // nine set bits, first pixel high
            EXPECT_EQ(read.img->Row(1)[1], 0x80);
        } else {
            EXPECT_EQ(read.Pixel(), pixel) << type;
        }
    }
}

TEST(SerializerTest, BadBitmapsGiveTheImagingMessages) {
    StrkBitmap unknown = SolidBitmap(1, 2, 2, {0, 0, 0});
    unknown.pixelType = 6;
    EXPECT_EQ(FailureOf([&] { ReadTextureBitmap(unknown); }).m_id, 59015);

    StrkBitmap wrongSize = SolidBitmap(1, 2, 2, {0, 0, 0});
    wrongSize.width = 3;
    EXPECT_EQ(FailureOf([&] { ReadTextureBitmap(wrongSize); }).m_id, 59015);

    StrkBitmap damaged = SolidBitmap(1, 2, 2, {0, 0, 0});
    damaged.blobs[0].resize(damaged.blobs[0].size() / 2);
    EXPECT_EQ(FailureOf([&] { ReadTextureBitmap(damaged); }).m_id, 59002);
}

TEST(SerializerTest, EmbeddedProfileOpensAndIsNamed) {
    StrkWriter writer;
    writer.Model().Profile(MakeSrgbProfile("Embedded sRGB"));
    const auto model = Read(writer);
    ASSERT_TRUE(model->m_colorProfile);
    EXPECT_EQ(model->m_colorProfile->Name(), u"Embedded sRGB");

    writer.Model().Profile({});
    EXPECT_EQ(FailureOfRead(writer.Bytes()).m_id, 58994);
    writer.Model().Profile(std::vector<std::uint8_t>(200, 0x5A));
    const CSimpleErr err = FailureOfRead(writer.Bytes());
    EXPECT_EQ(err.m_id, 58994);
    EXPECT_EQ(err.m_text.rfind("ICM Failed to open color profile\n\n", 0), 0u);
}

TEST(SerializerTest, NestingIsBoundedSoTheStackIsSafe) {
    const auto nested = [](unsigned depth) {
        StrkWriter writer;
        StrkFigure* layer = &writer.Model();
        for (unsigned i = 0; i < depth; ++i) {
            layer = &layer->Layer();
        }
        layer->Line(u"deep").Part().Point(1, 1);
        return writer.Bytes();
    };
    const auto model = Read(nested(CSerializer::kMaxLayerDepth));
    EXPECT_NO_THROW(model->CheckParents());
    ExpectFailure(nested(CSerializer::kMaxLayerDepth + 1), 60021,
                  "Unknown file format (layers are nested more than 256 deep)");
    // Far deeper than the limit, yet shallow enough for the writer's own recursion under ASan.
    EXPECT_EQ(FailureOfRead(nested(1000)).m_id, 60021);
}

TEST(SerializerTest, ReadsFilesAndNamesTheOnesItCannotOpen) {
    CTempFolder folder;
    StrkWriter writer;
    writer.Model().Line(u"on disk").Part().Point(3, 4);
    const std::string path = (folder.Path() / "a.strk").string();
    writer.Save(path);
    const auto model = CSerializer::ReadModel(path);
    EXPECT_EQ(As<stroke::CLine>(model->GetChild(0)).m_name, u"on disk");

    const std::string missing = (folder.Path() / "missing.strk").string();
    const CSimpleErr err = FailureOf([&] { CSerializer::ReadModel(missing); });
    EXPECT_EQ(err.m_id, 58932);
    EXPECT_EQ(err.m_text, "Failed to open file - " + missing + "\n\nNo such file or directory");

    // A file that fails half-way through the read closes as the failure leaves the reader.
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - 3);
    const std::size_t descriptors = morvane::test::OpenDescriptorCount();
    EXPECT_EQ(FailureOf([&] { CSerializer::ReadModel(path); }).m_id, IDS_STREAM_READ_FAILED);
    EXPECT_EQ(morvane::test::OpenDescriptorCount(), descriptors);
}

} // namespace
