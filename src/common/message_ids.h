// Named IDs of the string table (messages/en.txt, messages/ja.txt).
// Application messages (100-216, 10000-10197) are Japanese only; the rest exist in both languages.
#pragma once

#include <cstdint>

enum MessageId : std::uint32_t {
    IDS_UNKNOWN_UNIT = 10003,
    IDS_DELETE_NOT_IMPLEMENTED = 10042,
    IDS_DELETE_TARGET_NOT_FOUND = 10044,
    IDS_INSERT_POSITION_INVALID = 10046,
    IDS_INSERT_TYPE_INVALID = 10047,
    IDS_FIGURE_INDEX_NOT_FOUND = 10120,
    IDS_INTERNAL_ERROR = 58680,
};
