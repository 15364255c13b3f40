// libFuzzer target: arbitrary bytes as a placeable metafile file, as metafile bits walked record
// by record, and as a packed DIB; the window-less readers must never read out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "shapes/metafile_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PlaceableInfo info;
    const bool placeable = ParsePlaceableHeader(data, size, &info) == 0;
    const std::size_t skip = placeable ? kPlaceableHeaderSize : 0;
    // Word-aligned copy, as the system hands metafile memory to the record callbacks.
    std::vector<std::uint16_t> words((size - skip + 1) / 2 + 1, 0);
    std::memcpy(words.data(), data + skip, size - skip);
    auto* bytes = reinterpret_cast<unsigned char*>(words.data());
    const std::uint32_t usable = SanitizeMetafileBits(bytes, static_cast<std::uint32_t>(size - skip));
    if (usable > size - skip)
        __builtin_trap();
    for (std::uint32_t at = kMetaHeaderSize; usable && at + 6 <= usable;) {
        std::uint32_t recordWords;
        std::memcpy(&recordWords, bytes + at, 4);
        if (recordWords < 3 || recordWords > (usable - at) / 2)
            break;
        IsSoundMetafileRecord(reinterpret_cast<const std::uint16_t*>(bytes + at), recordWords);
        at += recordWords * 2;
    }
    DibLayout layout;
    if (ReadDibLayout(data, size, 4, &layout) == 0 &&
        static_cast<std::uint64_t>(layout.bitsOffset) + layout.bitsSize > size)
        __builtin_trap();
    return 0;
}
