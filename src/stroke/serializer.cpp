#include "stroke/serializer.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/messages.h"
#include "platform/file_input_stream.h"
#include "stroke/figures.h"
#include "stroke/gradation.h"
#include "stroke/img_serializer.h"
#include "stroke/texture.h"

#include <boost/make_shared.hpp>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

namespace stroke {

namespace {

// Class tags of the records that carry one.
enum ClassTag : std::uint16_t {
    TAG_NONE = 0,
    TAG_COLOR_PROFILE = 3,
    TAG_MODEL = 0x8000,
    TAG_LAYER = 0x8001,
    TAG_LINE = 0x8002,
    TAG_MONO = 0x8003,
    TAG_GRADATION = 0x8004,
    TAG_TEXTURE = 0x8006,
    TAG_TEXT = 0x8008,
    TAG_TEXT_SETTING = 0x8009,
};

// The smallest size of each repeated record, which bounds how many of them the bytes left can
// hold: a child is at least a tag and an empty layer (state, count, name, two fill tags).
constexpr std::uint64_t kMinChildBytes = 2 + 4 + 4 + 4 + 2 + 2;
constexpr std::uint64_t kMinPartBytes = 4 + 4 + 4;
constexpr std::uint64_t kMinPointBytes = 4 + 8 + 8 + 4 + 8 + 4;
constexpr std::uint64_t kMinTangentBytes = 4 + 8 + 8;
constexpr std::uint64_t kMinStopBytes = 4 + 10 + 8;

// The version from which a texture stores its opacity.
constexpr std::uint32_t kTextureAlphaVersion = CSerializerBase::MakeVersion(1, 0, 0, 1);

[[noreturn]] void UnknownTag(std::uint16_t tag) {
    throw my::CException(IDS_CLASS_ID_UNKNOWN, tag);
}

// A value the file holds that no drawing can have: the file is refused with the field's name
// and the value, before anything downstream mistakes it for a fault of its own.
// field is the message ID of the field's name.
[[noreturn]] void InvalidValue(std::uint32_t field, const std::string& value) {
    throw my::CException(IDS_STROKE_VALUE_INVALID, std::string(my::MessageText(field)), value);
}

std::string NumberText(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// A page side: a finite length, zero included (a page without size takes the output size).
double CheckPageSide(double value, std::uint32_t field) {
    if (!std::isfinite(value) || value < 0.0) {
        InvalidValue(field, NumberText(value));
    }
    return value;
}

// Caps and joins are masks of three shapes each; a bit beyond them names no shape.
constexpr std::uint32_t kShapeBits = 0x7;

std::uint32_t CheckShapeBits(std::uint32_t value, std::uint32_t field) {
    if ((value & ~kShapeBits) != 0) {
        InvalidValue(field, std::to_string(value));
    }
    return value;
}

// Appends a new element with the defaults of its class to a holder's sequence, linked to the
// holder, for the caller to read into: a failure later leaves a consistent tree to release.
template <class T, class E> T& Append(ChildList<E>& list, CFigure& holder) {
    auto element = boost::make_shared<T>();
    element->SetParent(&holder);
    list.push_back(element);
    return *element;
}

} // namespace

CSerializer::CSerializer(io::CInputStream& stream, const codec::CPngLimits& limits)
    : CSerializerBase(stream), m_limits(limits) {}

CSerializer::~CSerializer() = default;

ModelPtr CSerializer::ReadModel(const std::string& path) {
    // The stream closes the file when it goes, whichever way ReadModel is left.
    io::CFileInputStream file(path);
    return ReadModel(file, {});
}

ModelPtr CSerializer::ReadModel(io::CInputStream& stream, const codec::CPngLimits& limits) {
    CSerializer reader(stream, limits);
    return reader.Read();
}

ModelPtr CSerializer::Read() {
    Stream().Seek(0);
    ReadHeader();

    auto imgReader = std::make_unique<CImgSerializer>(Stream(), StreamSize(), m_limits);
    m_imgReader = imgReader.get();
    m_subReaders.push_back(std::move(imgReader));

    const std::uint16_t root = ReadU16();
    if (root != TAG_MODEL) {
        UnknownTag(root);
    }
    auto model = boost::make_shared<CModel>();
    ReadModelRecord(*model);

    m_imgReader = nullptr;
    m_subReaders.clear();
    if (Stream().Position() != StreamSize()) {
        throw my::CException(IDS_FILE_TOO_LARGE);
    }
    return model;
}

void CSerializer::ReadHeader() {
    // A file shorter than the magic is not a stroke file, not a failed read.
    const std::string_view magic = Signature();
    char bytes[8] = {};
    if (Stream().Read(bytes, magic.size()) != magic.size() ||
        std::memcmp(bytes, magic.data(), magic.size()) != 0) {
        throw my::CException(IDS_FILE_FORMAT_UNKNOWN);
    }
    SetVersion(ReadU32());
    if (Version() > kVersion) {
        throw my::CException(IDS_FILE_VERSION_UNKNOWN);
    }
}

void CSerializer::ReadModelRecord(CModel& model) {
    ReadLayerRecord(model, 0);
    model.m_unit = ReadU32();
    model.m_colorType = ReadU32();
    if (model.m_colorType != COLOR_RGB && model.m_colorType != COLOR_CMYK) {
        InvalidValue(IDS_FIELD_COLOR_TYPE, std::to_string(model.m_colorType));
    }
    model.m_colorProfile = ReadColorProfile();
    model.m_resolution = ReadF64();
    model.m_width = CheckPageSide(ReadF64(), IDS_FIELD_PAGE_WIDTH);
    model.m_height = CheckPageSide(ReadF64(), IDS_FIELD_PAGE_HEIGHT);
}

void CSerializer::ReadLayerRecord(CLayer& layer, unsigned depth) {
    layer.m_state = ReadU32();
    ReadChildren(layer, depth);
    layer.m_name = ReadString();
    layer.m_lineFill = ReadFill();
    layer.m_areaFill = ReadFill();
}

void CSerializer::ReadChildren(CContainer& container, unsigned depth) {
    const std::uint32_t count = ReadCount(kMinChildBytes);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint16_t tag = ReadU16();
        switch (tag) {
        case TAG_LAYER:
            if (depth >= kMaxLayerDepth) {
                throw my::CException(IDS_STROKE_NESTING_TOO_DEEP, kMaxLayerDepth);
            }
            ReadLayerRecord(Append<CLayer>(container.m_children, container), depth + 1);
            break;
        case TAG_LINE:
            ReadLine(Append<CLine>(container.m_children, container));
            break;
        case TAG_TEXT:
            ReadText(Append<CText>(container.m_children, container));
            break;
        default:
            UnknownTag(tag);
        }
    }
}

void CSerializer::ReadLine(CLine& line) {
    line.m_state = ReadU32();
    line.m_name = ReadString();
    ReadFills(line);
    ReadCapJoinParts(line);
}

void CSerializer::ReadText(CText& text) {
    text.m_state = ReadU32();
    text.m_name = ReadString();
    text.m_text = ReadString();
    text.m_width = ReadF64();
    text.m_selStart = ReadI32();
    text.m_selEnd = ReadI32();
    text.m_textSetting = ReadTextSetting();
    ReadFills(text);
    ReadCapJoinParts(text);
}

void CSerializer::ReadFills(CPartHolder& holder) {
    holder.m_lineFill = ReadFill();
    holder.m_areaFill = ReadFill();
}

void CSerializer::ReadCapJoinParts(CPartHolder& holder) {
    holder.m_lineCap = CheckShapeBits(ReadU32(), IDS_FIELD_LINE_CAP);
    holder.m_lineJoin = CheckShapeBits(ReadU32(), IDS_FIELD_LINE_JOIN);
    const std::uint32_t count = ReadCount(kMinPartBytes);
    for (std::uint32_t i = 0; i < count; ++i) {
        ReadPart(Append<CLinePart>(holder.m_parts, holder));
    }
}

void CSerializer::ReadPart(CLinePart& part) {
    part.m_state = ReadU32();
    part.m_partFlags = ReadU32();
    const std::uint32_t count = ReadCount(kMinPointBytes);
    for (std::uint32_t i = 0; i < count; ++i) {
        ReadPoint(Append<CLinePoint>(part.m_points, part));
    }
}

void CSerializer::ReadPoint(CLinePoint& point) {
    point.m_state = ReadU32();
    point.x = ReadF64();
    point.y = ReadF64();
    point.m_flags = ReadU32();
    point.m_width = ReadF64();
    // Any number of handles is kept as stored: a point with fewer than two reads its missing
    // handles as lying on the point (CLinePoint::GetTangentOr).
    const std::uint32_t count = ReadCount(kMinTangentBytes);
    for (std::uint32_t i = 0; i < count; ++i) {
        ReadTangent(Append<CTangentPoint>(point.m_tangents, point));
    }
}

void CSerializer::ReadTangent(CTangentPoint& tangent) {
    tangent.m_state = ReadU32();
    tangent.x = ReadF64();
    tangent.y = ReadF64();
}

FillPtr CSerializer::ReadFill() {
    const std::uint16_t tag = ReadU16();
    switch (tag) {
    case TAG_NONE:
        return {};
    case TAG_MONO:
        return boost::make_shared<CMonoSetting>(ReadColor());
    case TAG_GRADATION:
        return ReadGradation();
    case TAG_TEXTURE:
        return ReadTexture();
    default:
        UnknownTag(tag);
    }
}

FillPtr CSerializer::ReadGradation() {
    auto fill = boost::make_shared<CGradationSetting>();
    fill->m_angle = ReadF64();
    const std::uint32_t count = ReadCount(kMinStopBytes);
    fill->m_colors.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        CColorStop stop;
        stop.m_enabled = ReadFlag();
        stop.m_color = ReadColor();
        stop.m_position = ReadF64();
        fill->m_colors.push_back(stop);
    }
    return fill;
}

FillPtr CSerializer::ReadTexture() {
    auto fill = boost::make_shared<CTextureSetting>();
    fill->m_path = ReadString();
    fill->m_bitmap = m_imgReader->ReadImage();
    if (Version() >= kTextureAlphaVersion) {
        fill->m_alpha = ReadU16();
    }
    fill->m_angle = ReadF64();
    fill->m_fitType = ReadU32();
    fill->m_rateX = ReadF64();
    fill->m_rateY = ReadF64();
    fill->m_sameRate = ReadFlag();
    fill->m_flip = ReadU32();
    fill->m_offsetX = ReadF64();
    fill->m_offsetY = ReadF64();
    return fill;
}

CColor CSerializer::ReadColor() {
    CColor color;
    for (std::uint16_t& channel : color.m_channels) {
        channel = ReadU16();
    }
    color.m_alpha = ReadU16();
    return color;
}

TextSettingPtr CSerializer::ReadTextSetting() {
    const std::uint16_t tag = ReadU16();
    if (tag == TAG_NONE) {
        return {};
    }
    if (tag != TAG_TEXT_SETTING) {
        UnknownTag(tag);
    }
    auto setting = boost::make_shared<CTextSetting>();
    setting->m_charSet = ReadU32();
    setting->m_fontValue = ReadU32();
    setting->m_fontFace = ReadString();
    setting->m_fontSize = ReadF64();
    setting->m_fontStyle = ReadU32();
    setting->m_charSpacing = ReadF64();
    setting->m_lineSpacing = ReadF64();
    setting->m_thirdSpacing = ReadF64();
    return setting;
}

boost::shared_ptr<CColorProfile> CSerializer::ReadColorProfile() {
    const std::uint16_t tag = ReadU16();
    if (tag == TAG_NONE) {
        return {};
    }
    if (tag != TAG_COLOR_PROFILE) {
        UnknownTag(tag);
    }
    std::vector<std::uint8_t> bytes = ReadBlob();
    auto profile = boost::make_shared<CColorProfile>();
    // Empty or unreadable bytes raise IDS_ICM_PROFILE_OPEN_FAILED.
    profile->LoadFromMemory(std::move(bytes));
    return profile;
}

} // namespace stroke
