// libFuzzer target for DecodeLogImage. Raw inputs rarely carry a sector mark
// at 0x1FC, so the first byte picks a mode: the input as a whole image, or the
// input as one sector body behind a valid header whose format register is the
// next four bytes. Odd modes also turn the dump on, to walk its field code.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/DiagLog.h"
#include "protocol/MtkLogDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const uint8_t mode = data[0];
    std::span<const uint8_t> rest(data + 1, size - 1);
    ml::SetDiagSink((mode & 1) ? ml::DiagSink([](std::string_view) {}) : ml::DiagSink());

    ml::FixList fixes;
    long calls = 0;
    const ml::MtkDecodeProgress progress = [&calls](int, long) { ++calls; };
    if ((mode & 2) == 0) {
        ml::DecodeLogImage(rest, fixes, progress);
    } else if (rest.size() >= 4) {
        std::vector<uint8_t> image(0x200, 0xFF);
        for (size_t i = 0; i < 4; ++i) {
            image[2 + i] = rest[i];
            image[0x1FC + i] = 0xBB;
        }
        image.insert(image.end(), rest.begin() + 4, rest.end());
        const auto summary = ml::DecodeLogImage(image, fixes, progress);
        if (summary.fixesStored != static_cast<long>(fixes.size())) {
            __builtin_trap();
        }
    }
    ml::SetDiagSink({});
    return 0;
}
