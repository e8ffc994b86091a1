// The default font face of new text settings: the desktop's user-interface font, as fontconfig
// resolves the generic family "sans-serif".
#pragma once

#include <string>

namespace my {

// The family name fontconfig matches for "sans-serif" ("DejaVu Sans" when fontconfig finds
// nothing). Looked up once per process; safe to call from any thread.
const std::u16string& DefaultFontFace();

} // namespace my
