// The faces behind one font: the chosen face and, found on demand through fontconfig, the
// fallback faces for characters it lacks, with the styles each one has to synthesise.
#pragma once

#include "platform/font_match.h"

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>

namespace font::detail {

// Faces by file, each opened once per engine (one FreeType library, one thread).
class CFaceCache {
public:
    CFaceCache();
    // The opened face, or nullptr when it cannot be opened (remembered, not retried).
    std::shared_ptr<ft::CFace> Open(const fc::CFontFile& file);

private:
    ft::CLibrary m_library;
    std::map<fc::CFontFile, std::shared_ptr<ft::CFace>> m_faces;
};

// A face as one font uses it.
struct CMember {
    std::shared_ptr<ft::CFace> face;
    bool embolden = false; // bold asked for, the face is lighter than semibold
    bool oblique = false;  // italic asked for, the face is upright
};

// Which face draws a character, and its glyph there.
struct CGlyphSource {
    std::size_t member = 0;
    unsigned index = 0;
};

class CFaceSet {
public:
    // IDS_FONT_CREATE_FAILED when fontconfig offers no face that FreeType can open with outlines.
    CFaceSet(std::shared_ptr<CFaceCache> cache, const fc::CQuery& query);

    const CMember& Member(std::size_t i) const { return m_members[i]; }
    const CMember& Primary() const { return m_members.front(); }

    // The font's own face when it has the character, else the first fallback face that has
    // it (faces already in use first, then fontconfig's sorted list), else the font's own
    // missing-glyph box (glyph 0).
    CGlyphSource Find(char32_t c);

private:
    CMember MakeMember(std::shared_ptr<ft::CFace> face) const;
    std::optional<CGlyphSource> FindInSortedFonts(char32_t c);

    std::shared_ptr<CFaceCache> m_cache;
    fc::CQuery m_query;
    ft::CPattern m_pattern;
    std::deque<CMember> m_members; // [0] is the font's own face
    std::set<fc::CFontFile> m_tried;
    bool m_sortedLoaded = false;
    ft::CFontSet m_sorted;
    std::unordered_map<char32_t, CGlyphSource> m_found;
};

} // namespace font::detail
