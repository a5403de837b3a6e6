#include "store/Cp949Bytes.h"

namespace ml {

namespace {
bool IsLead(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrail(unsigned char b) {
    return (b >= 0x41 && b <= 0x5A) || (b >= 0x61 && b <= 0x7A) || (b >= 0x81 && b <= 0xFE);
}
}  // namespace

size_t Cp949CharLength(std::string_view bytes, size_t pos) {
    if (pos >= bytes.size()) return 0;
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    if (IsLead(lead) && pos + 1 < bytes.size() && IsTrail(static_cast<unsigned char>(bytes[pos + 1]))) {
        return 2;
    }
    return 1;
}

size_t Cp949FitLength(std::string_view bytes, size_t maxBytes) {
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t length = Cp949CharLength(bytes, pos);
        if (pos + length > maxBytes) break;
        pos += length;
    }
    return pos;
}

}  // namespace ml
