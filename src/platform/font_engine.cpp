#include "platform/font_engine.h"

#include "common/error.h"
#include "common/message_ids.h"
#include "common/text.h"
#include "platform/font_face_set.h"

#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace font {

namespace {

// The lean of a synthesised oblique: x moves by a fifth of y, about 11.3 degrees, as
// fontconfig's synthetic oblique does.
constexpr double kObliqueShear = 0.2;
// Synthesised bold widens stems by a 24th of the em, as FreeType's own emboldening does.
constexpr double kEmboldenPerEm = 1.0 / 24.0;
// Sets of faces kept per engine before it starts over (each distinct request is one).
constexpr std::size_t kMaxFaceSets = 256;

std::string CharText(char32_t c) {
    std::u16string units;
    if (c >= 0x10000 && c <= 0x10FFFF) {
        units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
        units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
        units.push_back(c <= 0xFFFF ? static_cast<char16_t>(c) : u'\uFFFD');
    }
    char code[16];
    std::snprintf(code, sizeof(code), "U+%04X", static_cast<unsigned>(c));
    const bool printable = c >= 0x20 && !(c >= 0x7F && c < 0xA0);
    return printable ? my::ToUtf8(units) + " (" + code + ")" : std::string(code);
}

double EmScale(const detail::CMember& member, std::int32_t emHeight) {
    return static_cast<double>(emHeight) / member.face->Get()->units_per_EM;
}

} // namespace

struct CFontEngine::CState {
    std::shared_ptr<detail::CFaceCache> cache;
    std::map<fc::CQuery, std::shared_ptr<detail::CFaceSet>> sets;

    std::shared_ptr<detail::CFaceSet> FaceSet(const fc::CQuery& query) {
        const auto found = sets.find(query);
        if (found != sets.end()) {
            return found->second;
        }
        if (!cache) {
            cache = std::make_shared<detail::CFaceCache>();
        }
        auto set = std::make_shared<detail::CFaceSet>(cache, query);
        if (sets.size() >= kMaxFaceSets) {
            sets.clear();
        }
        sets.emplace(query, set);
        return set;
    }
};

CFontEngine::CFontEngine() : m_state(std::make_shared<CState>()) {}

CFontEngine::~CFontEngine() = default;

CFontEngine& CFontEngine::ForThisThread() {
    static thread_local CFontEngine engine;
    return engine;
}

CFont::CFont(const CFontRequest& request, CFontEngine& engine) : m_request(request) {
    if (request.emHeight <= 0) {
        throw my::CException(IDS_FONT_CREATE_FAILED);
    }
    fc::CQuery query;
    query.family = request.face;
    query.bold = request.weight >= 600;
    query.italic = request.italic;
    query.lang = LanguageForCharSet(request.charSet);
    m_faces = engine.m_state->FaceSet(query);

    // Line metrics follow the convention Windows fonts are made for: the cell is the OS/2
    // table's Windows ascent and descent, the external leading what hhea's line gap adds
    // beyond that cell. Faces without those tables use FreeType's hhea-based values.
    const detail::CMember& primary = m_faces->Primary();
    const FT_Face face = primary.face->Get();
    const double scale = EmScale(primary, request.emHeight);
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    double ascent = 0;
    double descent = 0;
    double gap = 0;
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
        ascent = os2->usWinAscent;
        descent = os2->usWinDescent;
        if (hhea) {
            const double hheaCell = static_cast<double>(hhea->Ascender) - hhea->Descender;
            gap = std::max(0.0, hhea->Line_Gap - ((ascent + descent) - hheaCell));
        }
    } else {
        ascent = face->ascender;
        descent = -static_cast<double>(face->descender);
        gap = std::max(0.0, face->height - (ascent + descent));
    }
    if (!(ascent + descent > 0)) {
        throw my::CException(IDS_TEXT_METRICS_FAILED);
    }
    m_metrics.ascent = std::llround(ascent * scale);
    m_metrics.descent = std::llround(descent * scale);
    m_metrics.height = m_metrics.ascent + m_metrics.descent;
    m_metrics.internalLeading = std::max<std::int64_t>(0, m_metrics.height - request.emHeight);
    m_metrics.externalLeading = std::llround(gap * scale);
    if (os2 && os2->xAvgCharWidth > 0) {
        m_metrics.aveCharWidth = std::llround(os2->xAvgCharWidth * scale);
    } else {
        FT_Fixed advance = 0;
        const FT_UInt x = primary.face->GlyphIndex(U'x');
        if (x != 0 && FT_Get_Advance(face, x, primary.face->LoadFlags(), &advance) == 0 &&
            advance > 0) {
            m_metrics.aveCharWidth =
                std::llround(static_cast<double>(advance) / primary.face->AdvanceDivisor() * scale);
        } else {
            m_metrics.aveCharWidth = std::llround(request.emHeight / 2.0);
        }
    }
}

CFont::~CFont() = default;

int CFont::LoadGlyph(char32_t c, CGlyph& glyph) const {
    if (m_last && m_last->first == c) {
        glyph = m_last->second;
        return 0;
    }
    const detail::CGlyphSource source = m_faces->Find(c);
    const detail::CMember& member = m_faces->Member(source.member);
    const FT_Face face = member.face->Get();
    if (const FT_Error error = FT_Load_Glyph(face, source.index, member.face->LoadFlags())) {
        return error;
    }
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) {
        return FT_Err_Invalid_Glyph_Format;
    }
    const double divisor = member.face->UnitDivisor();
    double advance = static_cast<double>(slot->metrics.horiAdvance) / divisor;
    if (member.embolden) {
        const auto strength =
            static_cast<FT_Pos>(std::lround(face->units_per_EM * kEmboldenPerEm * divisor));
        if (const FT_Error error = FT_Outline_EmboldenXY(&slot->outline, strength, strength)) {
            return error;
        }
        if (advance != 0) {
            advance += static_cast<double>(strength) / divisor;
        }
    }
    const double scale = EmScale(member, m_request.emHeight);
    glyph.outline = ft::ReadOutline(slot->outline, divisor);
    TransformOutline(glyph.outline, scale, member.oblique ? kObliqueShear : 0.0);
    glyph.advance = advance * scale;
    m_last.emplace(c, glyph);
    return 0;
}

CAbcWidths CFont::GetAbcWidths(char32_t c) const {
    CGlyph glyph;
    if (LoadGlyph(c, glyph) != 0) {
        // The outline would not load: the advance alone stands for the black box.
        const detail::CGlyphSource source = m_faces->Find(c);
        const detail::CMember& member = m_faces->Member(source.member);
        FT_Fixed advance = 0;
        if (FT_Get_Advance(member.face->Get(), source.index, member.face->LoadFlags(), &advance) !=
            0) {
            throw my::CException(IDS_CHAR_WIDTH_FAILED);
        }
        const double b = static_cast<double>(advance) / member.face->AdvanceDivisor() *
                         EmScale(member, m_request.emHeight);
        return {0.0, b, 0.0};
    }
    const auto bounds = OutlineBounds(glyph.outline);
    if (!bounds) {
        return {0.0, 0.0, glyph.advance};
    }
    return {bounds->left, bounds->right - bounds->left, glyph.advance - bounds->right};
}

CGlyphOutline CFont::GetGlyphOutline(char32_t c) const {
    CGlyph glyph;
    if (const int error = LoadGlyph(c, glyph)) {
        throw my::CException(IDS_GLYPH_OUTLINE_FAILED, ft::ErrorText(error), CharText(c));
    }
    return std::move(glyph.outline);
}

std::string CFont::FamilyFor(char32_t c) const {
    return m_faces->Member(m_faces->Find(c).member).face->FamilyName();
}

std::string CFont::FamilyName() const {
    return m_faces->Primary().face->FamilyName();
}

} // namespace font
