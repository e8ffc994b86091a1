// Owners of the FreeType and fontconfig handles of the font engine, FreeType's error texts and
// the reading of a FreeType outline into cubic form. Only the engine's sources include this.
#pragma once

#include "platform/font_outline.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <memory>
#include <string>

namespace font::ft {

// One FreeType library. FreeType locks nothing, so a library, its faces and their glyph slots
// are used by one thread at a time; the engine keeps one library per thread.
using CLibrary = std::shared_ptr<FT_LibraryRec_>;
CLibrary NewLibrary(); // IDS_FONT_CREATE_FAILED when FreeType cannot start

// An opened face. It keeps its library alive, so faces may outlive the cache that made them.
class CFace {
public:
    // Opens face `index` of a font file; nullptr when FreeType cannot open it or the face has
    // no outlines (bitmap-only fonts draw nothing here).
    static std::shared_ptr<CFace> Open(const CLibrary& library, const std::string& file,
                                       FT_Long index);
    ~CFace();
    CFace(const CFace&) = delete;
    CFace& operator=(const CFace&) = delete;

    FT_Face Get() const { return m_face; }
    // Glyph index of a character; 0 when the face has none. Symbol fonts map the 8-bit codes
    // at U+F000 + code, as Windows symbol fonts do.
    FT_UInt GlyphIndex(char32_t c) const;
    // Flags that load an unhinted outline in design units (see Open: tricky faces need theirs
    // scaled to one pixel per design unit in 26.6 instead).
    FT_Int32 LoadFlags() const;
    // Divides loaded coordinates and metrics into design units: 1, or 64 (26.6) for tricky faces.
    double UnitDivisor() const { return m_tricky ? 64.0 : 1.0; }
    // Divides FT_Get_Advance's result into design units: 1, or 65536 (16.16) for tricky faces.
    double AdvanceDivisor() const { return m_tricky ? 65536.0 : 1.0; }
    std::string FamilyName() const;

private:
    CFace(CLibrary library, FT_Face face);

    CLibrary m_library; // declared first: destroyed after the face
    FT_Face m_face = nullptr;
    bool m_tricky = false;
    bool m_symbol = false;
};

// The text of a FreeType error code ("invalid glyph index", ...).
std::string ErrorText(FT_Error error);

// The outline of the glyph slot in design units (after dividing by `divisor`), in cubic form.
CGlyphOutline ReadOutline(const FT_Outline& outline, double divisor);

struct PatternDeleter {
    void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
struct FontSetDeleter {
    void operator()(FcFontSet* s) const { FcFontSetDestroy(s); }
};
using CPattern = std::unique_ptr<FcPattern, PatternDeleter>;
using CFontSet = std::unique_ptr<FcFontSet, FontSetDeleter>;

} // namespace font::ft
