// morvane::test::StrkWriter builds stroke files (.strk) in memory for tests, fuzz seeds and
// example files: a tree of plain records with chainable builders, written in the file's byte
// layout, with switches that break the file in the ways a reader must survive.
//
//   StrkWriter w;
//   w.Model().Layer(u"sky").Line(u"cloud").Stroke(Mono(red)).Part(true)
//       .Point(0, 0, 2).Handles(-1, 0, 1, 0).Point(10, 0, 2);
//   std::vector<std::uint8_t> bytes = w.Bytes();
#pragma once

#include "common/color.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace morvane::test {

// Class tags of the file; tests use them to write unexpected ones.
enum StrkTag : std::uint16_t {
    kTagNone = 0,
    kTagImage = 1,
    kTagColorContext = 2,
    kTagColorProfile = 3,
    kTagModel = 0x8000,
    kTagLayer = 0x8001,
    kTagLine = 0x8002,
    kTagMono = 0x8003,
    kTagGradation = 0x8004,
    kTagTexture = 0x8006,
    kTagText = 0x8008,
    kTagTextSetting = 0x8009,
};

constexpr std::uint32_t kStrkVersion = 0x01000001;

// ---- fills -------------------------------------------------------------------------------

struct StrkMono {
    stroke::CColor color;
};

struct StrkStop {
    bool enabled = true;
    stroke::CColor color;
    double position = 0.0;
};

struct StrkGradation {
    double angle = 0.0;
    std::vector<StrkStop> stops;
    std::optional<std::uint32_t> stopCount; // written instead of stops.size() when set
};

struct StrkColorContext {
    std::uint32_t value1 = 0;
    std::uint32_t value2 = 0;
    std::vector<std::uint8_t> profile;
};

// An embedded bitmap as stored: its header and its PNG streams (two for pixel format 2).
struct StrkBitmap {
    std::uint16_t tag = kTagImage;
    std::uint32_t pixelType = 0;
    std::uint32_t width = 1;
    std::uint32_t height = 1;
    double dpiX = 96.0;
    double dpiY = 96.0;
    std::optional<StrkColorContext> context;
    std::vector<std::vector<std::uint8_t>> blobs;
};

// A bitmap of one colour. pixel holds the bytes of one pixel in the order of the pixel type
// (B, G, R, A for 0; B, G, R for 1; C, M, Y, K, A for 2; C, M, Y, K for 3; the grey value for
// 4; 0 or 1 for 5); the PNG streams are made to decode into exactly those bytes.
StrkBitmap SolidBitmap(std::uint32_t pixelType, std::uint32_t width, std::uint32_t height,
                       std::vector<std::uint8_t> pixel);

struct StrkTexture {
    std::u16string path;
    std::optional<StrkBitmap> bitmap;
    std::uint16_t alpha = 65535; // written only from version 1.0.0.1 on
    double angle = 0.0;
    std::uint32_t fitType = 0;
    double rateX = 1.0;
    double rateY = 1.0;
    bool sameRate = true;
    std::uint32_t flip = 0;
    double offsetX = 0.0;
    double offsetY = 0.0;
};

// A fill-setting tag with nothing after it, for unknown tags.
struct StrkRawTag {
    std::uint16_t tag = 0;
};

using StrkFill = std::variant<std::monostate, StrkMono, StrkGradation, StrkTexture, StrkRawTag>;

inline StrkFill Mono(stroke::CColor color) {
    return StrkMono{color};
}
StrkFill Gradation(double angle, std::vector<StrkStop> stops);

// ---- text setting ------------------------------------------------------------------------

struct StrkTextSetting {
    std::uint16_t tag = kTagTextSetting;
    std::uint32_t charSet = 128;
    std::uint32_t fontValue = 0;
    std::u16string fontFace = u"Sans";
    double fontSize = 13.0;
    std::uint32_t fontStyle = 0;
    double charSpacing = 1.0;
    double lineSpacing = 1.0;
    double thirdSpacing = 4.0;
};

// ---- figures -----------------------------------------------------------------------------

struct StrkTangent {
    std::uint32_t state = 0;
    double x = 0.0;
    double y = 0.0;
};

struct StrkPoint {
    std::uint32_t state = 0;
    double x = 0.0;
    double y = 0.0;
    std::uint32_t flags = 0;
    double width = 0.0;
    std::vector<StrkTangent> tangents;
    std::optional<std::uint32_t> tangentCount; // written instead of tangents.size() when set
};

struct StrkPart {
    std::uint32_t state = 0;
    std::uint32_t flags = 0; // bit 0: closed
    std::vector<StrkPoint> points;
    std::optional<std::uint32_t> pointCount; // written instead of points.size() when set

    // Appends a point with both handles on it.
    StrkPart& Point(double x, double y, double width = 1.0);
    // Appends a point without handles.
    StrkPart& BarePoint(double x, double y, double width = 1.0);
    // Sets the handles of the last point to absolute positions (in, then out).
    StrkPart& Handles(double inX, double inY, double outX, double outY);
};

// A layer, line or text: which one is fixed by kind; tag is what the file says (a test may set
// another). Fields a kind does not store are not written.
struct StrkFigure {
    enum Kind { LAYER, LINE, TEXT };

    explicit StrkFigure(Kind kind_, std::u16string name_ = {});

    Kind kind;
    std::uint16_t tag;
    std::uint32_t state = 0;
    std::u16string name;
    StrkFill lineFill;
    StrkFill areaFill;
    // Layers.
    std::vector<std::unique_ptr<StrkFigure>> children;
    std::optional<std::uint32_t> childCount; // written instead of children.size() when set
    // Lines and texts.
    std::uint32_t lineCap = 1;
    std::uint32_t lineJoin = 1;
    std::vector<StrkPart> parts;
    std::optional<std::uint32_t> partCount;
    // Texts.
    std::u16string text;
    double width = 0.0;
    std::int32_t selStart = -1;
    std::int32_t selEnd = 0;
    std::optional<StrkTextSetting> textSetting;
    // Raw bytes written as the name's payload, for odd byte counts.
    std::optional<std::vector<std::uint8_t>> rawName;
    std::optional<std::uint32_t> nameByteCount; // written instead of the payload's size

    // Children of a layer; each returns the new child.
    StrkFigure& Layer(std::u16string childName = {});
    StrkFigure& Line(std::u16string childName = {});
    StrkFigure& Text(std::u16string childName, std::u16string content);
    // A new part of a line or text.
    StrkPart& Part(bool closed = false);
    StrkFigure& Stroke(StrkFill fill);
    StrkFigure& Fill(StrkFill fill);
};

// The model record: a layer with the page and colour space after it.
struct StrkModel : StrkFigure {
    StrkModel();

    std::uint32_t unit = 0;
    std::uint32_t colorType = 0;
    std::uint16_t profileTag = kTagNone; // kTagColorProfile with profile bytes
    std::vector<std::uint8_t> profile;
    double resolution = 600.0;
    double pageWidth = 210.0;
    double pageHeight = 297.0;

    // Embeds ICC bytes as the model's colour profile.
    StrkModel& Profile(std::vector<std::uint8_t> icc);
};

// ---- the file ----------------------------------------------------------------------------

class StrkWriter {
public:
    StrkModel& Model() { return m_model; }

    // What the header says; the defaults make a valid file.
    std::string magic = "stroke";
    std::uint32_t version = kStrkVersion;
    std::uint16_t rootTag = kTagModel;
    // Bytes appended after the model record.
    std::vector<std::uint8_t> trailing;

    std::vector<std::uint8_t> Bytes() const;
    // Writes Bytes() to a file; std::runtime_error when it cannot.
    void Save(const std::string& path) const;

private:
    StrkModel m_model;
};

// The first n bytes of a file.
std::vector<std::uint8_t> Truncated(std::vector<std::uint8_t> bytes, std::size_t n);

} // namespace morvane::test
