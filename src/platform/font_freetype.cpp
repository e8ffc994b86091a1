#include "platform/font_freetype.h"

#include "common/error.h"
#include "common/message_ids.h"

#include <cstdio>
#include <vector>

namespace font::ft {

CLibrary NewLibrary() {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        throw my::CException(IDS_FONT_CREATE_FAILED);
    }
    return CLibrary(library, [](FT_Library l) { FT_Done_FreeType(l); });
}

CFace::CFace(CLibrary library, FT_Face face) : m_library(std::move(library)), m_face(face) {}

CFace::~CFace() {
    FT_Done_Face(m_face);
}

std::shared_ptr<CFace> CFace::Open(const CLibrary& library, const std::string& file,
                                   FT_Long index) {
    FT_Face face = nullptr;
    if (FT_New_Face(library.get(), file.c_str(), index, &face) != 0) {
        return nullptr;
    }
    std::shared_ptr<CFace> result(new CFace(library, face));
    if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
        return nullptr;
    }
    // Tricky faces build their glyphs with hinting instructions; unscaled loading gives
    // garbage. One pixel per design unit keeps the coordinates in design units (26.6).
    if (FT_IS_TRICKY(face)) {
        if (FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(face->units_per_EM) * 64, 72, 72) !=
            0) {
            return nullptr;
        }
        result->m_tricky = true;
    }
    if (!face->charmap || face->charmap->encoding != FT_ENCODING_UNICODE) {
        if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) != 0 &&
            FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL) == 0) {
            result->m_symbol = true;
        }
    }
    return result;
}

FT_UInt CFace::GlyphIndex(char32_t c) const {
    FT_UInt index = FT_Get_Char_Index(m_face, c);
    if (index == 0 && m_symbol && c < 0x100) {
        index = FT_Get_Char_Index(m_face, 0xF000 + c);
    }
    return index;
}

FT_Int32 CFace::LoadFlags() const {
    return m_tricky ? FT_LOAD_NO_BITMAP
                    : (FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
}

std::string CFace::FamilyName() const {
    return m_face->family_name ? m_face->family_name : std::string();
}

std::string ErrorText(FT_Error error) {
#undef FTERRORS_H_
#define FT_ERROR_START_LIST switch (error) {
#define FT_ERRORDEF(e, v, s)                                                                       \
    case v:                                                                                        \
        return s;
#define FT_ERROR_END_LIST }
#include FT_ERRORS_H
    char text[32];
    std::snprintf(text, sizeof(text), "FreeType error 0x%02X", static_cast<unsigned>(error));
    return text;
}

CGlyphOutline ReadOutline(const FT_Outline& outline, double divisor) {
    if (outline.n_points <= 0 || outline.n_contours <= 0) {
        return {};
    }
    const auto count = static_cast<std::size_t>(outline.n_points);
    std::vector<my::pointd> points(count);
    std::vector<PointTag> tags(count);
    for (std::size_t i = 0; i < count; ++i) {
        points[i] = {static_cast<double>(outline.points[i].x) / divisor,
                     static_cast<double>(outline.points[i].y) / divisor};
        switch (FT_CURVE_TAG(outline.tags[i])) {
        case FT_CURVE_TAG_ON:
            tags[i] = PointTag::On;
            break;
        case FT_CURVE_TAG_CONIC:
            tags[i] = PointTag::Conic;
            break;
        default: // FreeType reads the unused tag value 3 as cubic, too
            tags[i] = PointTag::Cubic;
            break;
        }
    }
    std::vector<std::size_t> ends;
    ends.reserve(static_cast<std::size_t>(outline.n_contours));
    for (int i = 0; i < outline.n_contours; ++i) {
        if (outline.contours[i] < 0) {
            throw my::InternalError("ReadOutline() negative contour end");
        }
        ends.push_back(static_cast<std::size_t>(outline.contours[i]));
    }
    return ConvertContours(points, tags, ends);
}

} // namespace font::ft
