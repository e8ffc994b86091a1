#include "support/strk_writer.h"

#include "support/png_fixture.h"

#include <bit>
#include <fstream>
#include <png.h>
#include <stdexcept>

namespace morvane::test {

namespace {

// Little-endian output in the file's primitive forms.
class Out {
public:
    explicit Out(std::uint32_t version) : m_version(version) {}

    void U16(std::uint16_t v) {
        m_bytes.push_back(std::uint8_t(v));
        m_bytes.push_back(std::uint8_t(v >> 8));
    }
    void U32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            m_bytes.push_back(std::uint8_t(v >> (8 * i)));
        }
    }
    void I32(std::int32_t v) { U32(std::bit_cast<std::uint32_t>(v)); }
    void F64(double v) {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        for (int i = 0; i < 8; ++i) {
            m_bytes.push_back(std::uint8_t(bits >> (8 * i)));
        }
    }
    void Raw(const std::vector<std::uint8_t>& bytes) {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    }
    void Blob(const std::vector<std::uint8_t>& bytes) {
        U32(std::uint32_t(bytes.size()));
        Raw(bytes);
    }
    void String(const std::u16string& s) {
        U32(std::uint32_t(s.size() * 2));
        for (const char16_t c : s) {
            U16(c);
        }
    }
    void Count(std::size_t actual, const std::optional<std::uint32_t>& stated) {
        U32(stated.value_or(std::uint32_t(actual)));
    }
    void Color(const stroke::CColor& c) {
        for (const std::uint16_t channel : c.m_channels) {
            U16(channel);
        }
        U16(c.m_alpha);
    }

    void Bitmap(const std::optional<StrkBitmap>& bitmap);
    void Fill(const StrkFill& fill);
    void TextSetting(const std::optional<StrkTextSetting>& setting);
    void Parts(const StrkFigure& figure);
    void Figure(const StrkFigure& figure);
    void LayerRecord(const StrkFigure& layer);

    std::vector<std::uint8_t> m_bytes;

private:
    std::uint32_t m_version;
};

void Out::Bitmap(const std::optional<StrkBitmap>& bitmap) {
    if (!bitmap) {
        U16(kTagNone);
        return;
    }
    U16(bitmap->tag);
    U32(bitmap->pixelType);
    U32(bitmap->width);
    U32(bitmap->height);
    F64(bitmap->dpiX);
    F64(bitmap->dpiY);
    if (bitmap->context) {
        U16(kTagColorContext);
        U32(bitmap->context->value1);
        U32(bitmap->context->value2);
        Blob(bitmap->context->profile);
    } else {
        U16(kTagNone);
    }
    for (const auto& blob : bitmap->blobs) {
        Blob(blob);
    }
}

void Out::Fill(const StrkFill& fill) {
    if (const auto* mono = std::get_if<StrkMono>(&fill)) {
        U16(kTagMono);
        Color(mono->color);
    } else if (const auto* gradation = std::get_if<StrkGradation>(&fill)) {
        U16(kTagGradation);
        F64(gradation->angle);
        Count(gradation->stops.size(), gradation->stopCount);
        for (const StrkStop& stop : gradation->stops) {
            U32(stop.enabled ? 1 : 0);
            Color(stop.color);
            F64(stop.position);
        }
    } else if (const auto* texture = std::get_if<StrkTexture>(&fill)) {
        U16(kTagTexture);
        String(texture->path);
        Bitmap(texture->bitmap);
        if (m_version >= kStrkVersion) {
            U16(texture->alpha);
        }
        F64(texture->angle);
        U32(texture->fitType);
        F64(texture->rateX);
        F64(texture->rateY);
        U32(texture->sameRate ? 1 : 0);
        U32(texture->flip);
        F64(texture->offsetX);
        F64(texture->offsetY);
    } else if (const auto* raw = std::get_if<StrkRawTag>(&fill)) {
        U16(raw->tag);
    } else {
        U16(kTagNone);
    }
}

void Out::TextSetting(const std::optional<StrkTextSetting>& setting) {
    if (!setting) {
        U16(kTagNone);
        return;
    }
    U16(setting->tag);
    U32(setting->charSet);
    U32(setting->fontValue);
    String(setting->fontFace);
    F64(setting->fontSize);
    U32(setting->fontStyle);
    F64(setting->charSpacing);
    F64(setting->lineSpacing);
    F64(setting->thirdSpacing);
}

void Out::Parts(const StrkFigure& figure) {
    U32(figure.lineCap);
    U32(figure.lineJoin);
    Count(figure.parts.size(), figure.partCount);
    for (const StrkPart& part : figure.parts) {
        U32(part.state);
        U32(part.flags);
        Count(part.points.size(), part.pointCount);
        for (const StrkPoint& point : part.points) {
            U32(point.state);
            F64(point.x);
            F64(point.y);
            U32(point.flags);
            F64(point.width);
            Count(point.tangents.size(), point.tangentCount);
            for (const StrkTangent& tangent : point.tangents) {
                U32(tangent.state);
                F64(tangent.x);
                F64(tangent.y);
            }
        }
    }
}

void Out::LayerRecord(const StrkFigure& layer) {
    U32(layer.state);
    Count(layer.children.size(), layer.childCount);
    for (const auto& child : layer.children) {
        Figure(*child);
    }
    String(layer.name);
    Fill(layer.lineFill);
    Fill(layer.areaFill);
}

void Out::Figure(const StrkFigure& figure) {
    U16(figure.tag);
    if (figure.kind == StrkFigure::LAYER) {
        LayerRecord(figure);
        return;
    }
    U32(figure.state);
    if (figure.rawName) {
        Count(figure.rawName->size(), figure.nameByteCount);
        Raw(*figure.rawName);
    } else if (figure.nameByteCount) {
        U32(*figure.nameByteCount);
    } else {
        String(figure.name);
    }
    if (figure.kind == StrkFigure::TEXT) {
        String(figure.text);
        F64(figure.width);
        I32(figure.selStart);
        I32(figure.selEnd);
        TextSetting(figure.textSetting);
    }
    Fill(figure.lineFill);
    Fill(figure.areaFill);
    Parts(figure);
}

std::uint16_t TagOf(StrkFigure::Kind kind) {
    switch (kind) {
    case StrkFigure::LAYER:
        return kTagLayer;
    case StrkFigure::LINE:
        return kTagLine;
    case StrkFigure::TEXT:
        return kTagText;
    }
    return kTagNone;
}

} // namespace

StrkBitmap SolidBitmap(std::uint32_t pixelType, std::uint32_t width, std::uint32_t height,
                       std::vector<std::uint8_t> pixel) {
    pixel.resize(5, 0);
    StrkBitmap bitmap;
    bitmap.pixelType = pixelType;
    bitmap.width = width;
    bitmap.height = height;
    // The decoder stores a PNG pixel's samples in B, G, R(, A) order, so the bytes wanted are
    // written as R = byte 2, G = byte 1, B = byte 0 (and A = byte 3).
    const std::vector<std::uint8_t> rgba = {pixel[2], pixel[1], pixel[0], pixel[3]};
    switch (pixelType) {
    case 0:
    case 3:
        bitmap.blobs.push_back(EncodePng(SolidPng(width, height, PNG_COLOR_TYPE_RGB_ALPHA, rgba)));
        break;
    case 1:
        bitmap.blobs.push_back(
            EncodePng(SolidPng(width, height, PNG_COLOR_TYPE_RGB, {pixel[2], pixel[1], pixel[0]})));
        break;
    case 2:
        bitmap.blobs.push_back(EncodePng(SolidPng(width, height, PNG_COLOR_TYPE_RGB_ALPHA, rgba)));
        bitmap.blobs.push_back(EncodePng(SolidPng(width, height, PNG_COLOR_TYPE_GRAY, {pixel[4]})));
        break;
    case 4:
        bitmap.blobs.push_back(EncodePng(SolidPng(width, height, PNG_COLOR_TYPE_GRAY, {pixel[0]})));
        break;
    default: // 5 and unknown types: a grey stream of black or white
        bitmap.blobs.push_back(EncodePng(
            SolidPng(width, height, PNG_COLOR_TYPE_GRAY, {std::uint8_t(pixel[0] ? 255 : 0)})));
        break;
    }
    return bitmap;
}

StrkFill Gradation(double angle, std::vector<StrkStop> stops) {
    StrkGradation gradation;
    gradation.angle = angle;
    gradation.stops = std::move(stops);
    return gradation;
}

StrkPart& StrkPart::Point(double x, double y, double width) {
    BarePoint(x, y, width);
    points.back().tangents = {StrkTangent{0, x, y}, StrkTangent{0, x, y}};
    return *this;
}

StrkPart& StrkPart::BarePoint(double x, double y, double width) {
    StrkPoint point;
    point.x = x;
    point.y = y;
    point.width = width;
    points.push_back(point);
    return *this;
}

StrkPart& StrkPart::Handles(double inX, double inY, double outX, double outY) {
    if (points.empty()) {
        throw std::logic_error("StrkPart::Handles without a point");
    }
    points.back().tangents = {StrkTangent{0, inX, inY}, StrkTangent{0, outX, outY}};
    return *this;
}

StrkFigure::StrkFigure(Kind kind_, std::u16string name_)
    : kind(kind_), tag(TagOf(kind_)), name(std::move(name_)) {}

StrkFigure& StrkFigure::Layer(std::u16string childName) {
    children.push_back(std::make_unique<StrkFigure>(LAYER, std::move(childName)));
    return *children.back();
}

StrkFigure& StrkFigure::Line(std::u16string childName) {
    children.push_back(std::make_unique<StrkFigure>(LINE, std::move(childName)));
    return *children.back();
}

StrkFigure& StrkFigure::Text(std::u16string childName, std::u16string content) {
    children.push_back(std::make_unique<StrkFigure>(TEXT, std::move(childName)));
    children.back()->text = std::move(content);
    children.back()->textSetting = StrkTextSetting{};
    return *children.back();
}

StrkPart& StrkFigure::Part(bool closed) {
    parts.emplace_back();
    parts.back().flags = closed ? 1 : 0;
    return parts.back();
}

StrkFigure& StrkFigure::Stroke(StrkFill fill) {
    lineFill = std::move(fill);
    return *this;
}

StrkFigure& StrkFigure::Fill(StrkFill fill) {
    areaFill = std::move(fill);
    return *this;
}

StrkModel::StrkModel() : StrkFigure(LAYER) {
    tag = kTagModel;
}

StrkModel& StrkModel::Profile(std::vector<std::uint8_t> icc) {
    profileTag = kTagColorProfile;
    profile = std::move(icc);
    return *this;
}

std::vector<std::uint8_t> StrkWriter::Bytes() const {
    Out out(version);
    out.m_bytes.assign(magic.begin(), magic.end());
    out.U32(version);
    out.U16(rootTag);
    out.LayerRecord(m_model);
    out.U32(m_model.unit);
    out.U32(m_model.colorType);
    out.U16(m_model.profileTag);
    if (m_model.profileTag == kTagColorProfile) {
        out.Blob(m_model.profile);
    }
    out.F64(m_model.resolution);
    out.F64(m_model.pageWidth);
    out.F64(m_model.pageHeight);
    out.Raw(trailing);
    return std::move(out.m_bytes);
}

void StrkWriter::Save(const std::string& path) const {
    const std::vector<std::uint8_t> bytes = Bytes();
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    file.close();
    if (!file) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::vector<std::uint8_t> Truncated(std::vector<std::uint8_t> bytes, std::size_t n) {
    bytes.resize(std::min(n, bytes.size()));
    return bytes;
}

} // namespace morvane::test
