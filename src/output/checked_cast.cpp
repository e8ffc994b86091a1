#include "output/checked_cast.h"

#include "common/message_ids.h"

namespace codec {

my::CException OutOfRange(const std::string& value, std::string_view typeName, bool tooLarge) {
    return my::CException(tooLarge ? IDS_NUMBER_TOO_LARGE : IDS_NUMBER_TOO_SMALL,
                          value + " (" + std::string(typeName) + ")");
}

} // namespace codec
