// libFuzzer target: a whole stroke file read from memory, bitmaps and profile included. The
// bitmap limit is kept small so that no input brings the decoder near the fuzzer's malloc
// limit; the figure tree is bounded by the reader itself.
#include "common/error.h"
#include "platform/input_stream.h"
#include "stroke/serializer.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    codec::CPngLimits limits;
    limits.m_maxPixelBytes = std::uint64_t{64} << 20;
    try {
        io::CMemoryInputStream stream =
            io::CMemoryInputStream::Over(std::span<const std::uint8_t>(data, size));
        const stroke::ModelPtr model = stroke::CSerializer::ReadModel(stream, limits);
        // What the reader hands out must be a consistent tree.
        model->CheckParents();
    } catch (const my::CException&) {
        // Refusing bad input with a message is the expected outcome.
    }
    return 0;
}
