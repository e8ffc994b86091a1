// stroke::CSerializer: reads a stroke file (.strk) into a stroke::CModel: the header and its
// version rule, then the figure tree with its fills, text settings, profile and bitmaps.
#pragma once

#include "platform/png_decoder.h"
#include "stroke/layer_model.h"
#include "stroke/serializer_base.h"
#include "stroke/text_setting.h"

#include <string>

namespace stroke {

class CImgSerializer;
class CLine;
class CText;
class CPartHolder;
class CLinePart;
class CLinePoint;
class CTangentPoint;

class CSerializer : public CSerializerBase {
public:
    // The newest version this reader knows, 1.0.0.1; every older one is read.
    static constexpr std::uint32_t kVersion = MakeVersion(1, 0, 0, 1);
    // Layers may hold layers; deeper nesting than this is refused (IDS_STROKE_NESTING_TOO_DEEP)
    // so that a hostile file cannot exhaust the stack of the reader or of the walks over the
    // tree.
    static constexpr unsigned kMaxLayerDepth = 256;

    // Reads the model of a stroke file. The file is closed on every way out; any failure
    // raises my::CException and no model survives. The messages: IDS_FILE_OPEN_FAILED,
    // IDS_STREAM_SEEK_FAILED, IDS_FILE_FORMAT_UNKNOWN (not a stroke file),
    // IDS_FILE_VERSION_UNKNOWN (a newer version), IDS_STREAM_READ_FAILED (short read),
    // IDS_OBJECT_COUNT_TOO_LARGE (a count beyond the file), IDS_CLASS_ID_UNKNOWN (an unknown
    // class tag), IDS_STROKE_VALUE_INVALID (a value no drawing can have: an unknown colour
    // type, a page side that is negative or not finite, cap or join bits beyond the known
    // shapes), IDS_STROKE_NESTING_TOO_DEEP, IDS_ICM_PROFILE_OPEN_FAILED (a bad colour
    // profile), IDS_WIC_FORMAT_UNKNOWN and IDS_WIC_PIXEL_FORMAT_FAILED (a bad bitmap),
    // IDS_FILE_TOO_LARGE (bytes after the model).
    static ModelPtr ReadModel(const std::string& path);
    // The same over any stream (bytes in memory), from its start; bitmaps are decoded under
    // the given limits.
    static ModelPtr ReadModel(io::CInputStream& stream, const codec::CPngLimits& limits = {});

    explicit CSerializer(io::CInputStream& stream, const codec::CPngLimits& limits = {});
    ~CSerializer() override;

    std::string_view Signature() const override { return "stroke"; }

    // Reads the whole stream as described for ReadModel.
    ModelPtr Read();

private:
    void ReadHeader();
    void ReadModelRecord(CModel& model);
    // State, children, name and fills: the layer record, also the start of the model record.
    void ReadLayerRecord(CLayer& layer, unsigned depth);
    void ReadChildren(CContainer& container, unsigned depth);
    void ReadLine(CLine& line);
    void ReadText(CText& text);
    // The fills, cap, join and parts that lines and texts store after their own fields;
    // a text stores its fills after its text setting.
    void ReadFills(CPartHolder& holder);
    void ReadCapJoinParts(CPartHolder& holder);
    void ReadPart(CLinePart& part);
    void ReadPoint(CLinePoint& point);
    void ReadTangent(CTangentPoint& tangent);
    FillPtr ReadFill();
    FillPtr ReadGradation();
    FillPtr ReadTexture();
    CColor ReadColor();
    TextSettingPtr ReadTextSetting();
    boost::shared_ptr<CColorProfile> ReadColorProfile();

    codec::CPngLimits m_limits;
    CImgSerializer* m_imgReader = nullptr; // the sub-reader while the model record is read
};

} // namespace stroke
