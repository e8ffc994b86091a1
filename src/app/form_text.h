// The desktop program's own texts (menus, form, colour dialog): messages of the string table,
// shown in Japanese whatever the language of platform messages.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace mrv {

// The Japanese text of message id.
std::string FormText(std::uint32_t id);
// The same as a Qt string.
QString FormQText(std::uint32_t id);

} // namespace mrv
