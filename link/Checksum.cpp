#include "link/Checksum.h"

namespace ml {

uint8_t SentenceChecksum(std::string_view sentence) {
    uint8_t sum = 0;
    for (const char c : sentence) {
        if (c == '*') break;
        if (c == '$') continue;
        sum ^= static_cast<uint8_t>(c);
    }
    return sum;
}

void ChecksumDigits(uint8_t checksum, char out[2]) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out[0] = kHex[checksum >> 4];
    out[1] = kHex[checksum & 0x0F];
}

}  // namespace ml
