#include "app/form_text.h"

#include "common/messages.h"

namespace mrv {

std::string FormText(std::uint32_t id) {
    return std::string(my::MessageText(id, my::Language::Japanese));
}

QString FormQText(std::uint32_t id) {
    return QString::fromStdString(FormText(id));
}

} // namespace mrv
