// Qt's own texts (standard buttons, file dialogs) in the language of the program's messages.
#pragma once

#include "common/messages.h"

#include <QTranslator>
#include <memory>

namespace mrv {

// Qt's translation of its own texts for language, from Qt's translations folder; null for
// English (Qt's texts are English already) and when the translation is not installed (Debian
// package qt6-translations-l10n), so that Qt's texts stay English.
std::unique_ptr<QTranslator> LoadQtTranslations(my::Language language);

} // namespace mrv
