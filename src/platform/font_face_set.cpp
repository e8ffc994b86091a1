#include "platform/font_face_set.h"

#include "common/error.h"
#include "common/message_ids.h"

#include FT_TRUETYPE_TABLES_H

namespace font::detail {

namespace {

// Characters that no face draws: fontconfig is not asked for them.
bool WorthFallback(char32_t c) {
    return c >= 0x20 && !(c >= 0x7F && c < 0xA0) && !(c >= 0xD800 && c < 0xE000) && c <= 0x10FFFF;
}

bool IsBoldFace(FT_Face face) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWeightClass != 0) {
        return os2->usWeightClass >= 600;
    }
    return (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
}

// A bounded memory of lookups: a text of many distinct characters starts over.
constexpr std::size_t kMaxRemembered = 1 << 16;

} // namespace

CFaceCache::CFaceCache() : m_library(ft::NewLibrary()) {}

std::shared_ptr<ft::CFace> CFaceCache::Open(const fc::CFontFile& file) {
    const auto found = m_faces.find(file);
    if (found != m_faces.end()) {
        return found->second;
    }
    auto face = ft::CFace::Open(m_library, file.file, file.index);
    m_faces.emplace(file, face);
    return face;
}

CFaceSet::CFaceSet(std::shared_ptr<CFaceCache> cache, const fc::CQuery& query)
    : m_cache(std::move(cache)), m_query(query), m_pattern(fc::PreparePattern(query)) {
    if (const auto best = fc::BestMatch(m_pattern.get())) {
        m_tried.insert(*best);
        if (auto face = m_cache->Open(*best)) {
            m_members.push_back(MakeMember(std::move(face)));
            return;
        }
    }
    // The best match would not open (a file removed since fontconfig's cache was made, a
    // broken font): the next face in fontconfig's order serves instead.
    m_sorted = fc::SortedFonts(m_pattern.get());
    m_sortedLoaded = true;
    for (int i = 0; m_sorted && i < m_sorted->nfont; ++i) {
        const auto file = fc::OutlineFileOf(m_sorted->fonts[i]);
        if (!file || !m_tried.insert(*file).second) {
            continue;
        }
        if (auto face = m_cache->Open(*file)) {
            m_members.push_back(MakeMember(std::move(face)));
            return;
        }
    }
    throw my::CException(IDS_FONT_CREATE_FAILED);
}

CMember CFaceSet::MakeMember(std::shared_ptr<ft::CFace> face) const {
    CMember member;
    member.embolden = m_query.bold && !IsBoldFace(face->Get());
    member.oblique = m_query.italic && (face->Get()->style_flags & FT_STYLE_FLAG_ITALIC) == 0;
    member.face = std::move(face);
    return member;
}

CGlyphSource CFaceSet::Find(char32_t c) {
    const auto found = m_found.find(c);
    if (found != m_found.end()) {
        return found->second;
    }
    std::optional<CGlyphSource> source;
    for (std::size_t i = 0; i < m_members.size() && !source; ++i) {
        if (const FT_UInt index = m_members[i].face->GlyphIndex(c)) {
            source = CGlyphSource{i, index};
        }
    }
    if (!source && WorthFallback(c)) {
        source = FindInSortedFonts(c);
    }
    if (!source) {
        source = CGlyphSource{0, 0};
    }
    if (m_found.size() >= kMaxRemembered) {
        m_found.clear();
    }
    m_found.emplace(c, *source);
    return *source;
}

std::optional<CGlyphSource> CFaceSet::FindInSortedFonts(char32_t c) {
    if (!m_sortedLoaded) {
        m_sorted = fc::SortedFonts(m_pattern.get());
        m_sortedLoaded = true;
    }
    for (int i = 0; m_sorted && i < m_sorted->nfont; ++i) {
        const FcPattern* font = m_sorted->fonts[i];
        if (!fc::Covers(font, c)) {
            continue;
        }
        const auto file = fc::OutlineFileOf(font);
        if (!file || !m_tried.insert(*file).second) {
            continue;
        }
        auto face = m_cache->Open(*file);
        if (!face) {
            continue;
        }
        // Once opened the face joins the members even when its character map disagrees with
        // fontconfig: later characters look there before asking fontconfig again.
        m_members.push_back(MakeMember(std::move(face)));
        if (const FT_UInt index = m_members.back().face->GlyphIndex(c)) {
            return CGlyphSource{m_members.size() - 1, index};
        }
    }
    return std::nullopt;
}

} // namespace font::detail
