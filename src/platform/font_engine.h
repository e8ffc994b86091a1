// The font engine of text layout over FreeType and fontconfig: a font made from a request, its
// text metrics, ABC widths and glyph outlines in cubic form, all in font units at the em height.
#pragma once

#include "platform/font_outline.h"
#include "platform/font_request.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace font {

// Metrics of a font in whole font units, as a text layout wants them: height = ascent +
// descent (the line cell), internal leading = height - em, external leading = the extra gap the
// face asks for between lines, average character width.
struct CTextMetrics {
    std::int64_t height = 0;
    std::int64_t ascent = 0;
    std::int64_t descent = 0;
    std::int64_t internalLeading = 0;
    std::int64_t externalLeading = 0;
    std::int64_t aveCharWidth = 0;
};

// A: space before the black box (negative when the glyph reaches left of its origin), B: black
// box width, C: advance - A - B. Font units.
struct CAbcWidths {
    double a = 0;
    double b = 0;
    double c = 0;
};

// The FreeType library, opened faces and fontconfig answers of one thread. FreeType does not
// lock its library or faces, so every thread that lays out text has its own engine (see
// ForThisThread); fonts made from an engine are used and destroyed on that thread only.
// Faces and matches are kept for the life of the engine, so a text drawn frame after frame
// asks fontconfig once.
class CFontEngine {
public:
    CFontEngine();
    ~CFontEngine();
    CFontEngine(const CFontEngine&) = delete;
    CFontEngine& operator=(const CFontEngine&) = delete;

    // The calling thread's engine, made on first use and destroyed when the thread ends.
    static CFontEngine& ForThisThread();

    struct CState;

private:
    friend class CFont;
    std::shared_ptr<CState> m_state;
};

namespace detail {
class CFaceSet;
}

// One font: the face fontconfig chooses for the request (the named family when installed, its
// configured substitute otherwise), with bold or oblique synthesised when that face lacks
// them, and fallback faces for characters it has no glyph for. Outlines are unhinted and
// scaled from design units to the em height in doubles, never rounded to a pixel grid.
class CFont {
public:
    // IDS_FONT_CREATE_FAILED when no face can be opened or the em height is not positive;
    // IDS_TEXT_METRICS_FAILED when the face's metrics cannot be read.
    explicit CFont(const CFontRequest& request, CFontEngine& engine = CFontEngine::ForThisThread());
    ~CFont();
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    const CFontRequest& Request() const { return m_request; }
    const CTextMetrics& Metrics() const { return m_metrics; }

    // ABC widths from the glyph's exact outline bounds; an empty glyph (space) has A = B = 0
    // and C = advance. A glyph whose outline cannot be loaded counts by its advance alone (as
    // B); IDS_CHAR_WIDTH_FAILED when even that fails.
    CAbcWidths GetAbcWidths(char32_t c) const;
    // The glyph in cubic form, font units, y up, origin on the baseline at the pen position.
    // IDS_GLYPH_OUTLINE_FAILED with FreeType's error text and the character when FreeType cannot
    // load it.
    CGlyphOutline GetGlyphOutline(char32_t c) const;

    // Family of the face that draws c (the font's own, a fallback's, or the font's own again
    // for its missing-glyph box), and of the font's own face.
    std::string FamilyFor(char32_t c) const;
    std::string FamilyName() const;

private:
    struct CGlyph {
        CGlyphOutline outline;
        double advance = 0;
    };
    // 0 on success, else FreeType's error.
    int LoadGlyph(char32_t c, CGlyph& glyph) const;

    CFontRequest m_request;
    std::shared_ptr<detail::CFaceSet> m_faces;
    CTextMetrics m_metrics;
    // The layout asks for widths and then the outline of the same character.
    mutable std::optional<std::pair<char32_t, CGlyph>> m_last;
};

} // namespace font
