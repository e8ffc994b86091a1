#include "app/translations.h"

#include <QLibraryInfo>

namespace mrv {

std::unique_ptr<QTranslator> LoadQtTranslations(my::Language language) {
    if (language != my::Language::Japanese) {
        return nullptr;
    }
    auto translator = std::make_unique<QTranslator>();
    // qtbase holds the texts of the widgets and dialogs the program uses.
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return nullptr;
    }
    return translator;
}

} // namespace mrv
