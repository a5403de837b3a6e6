#include "protocol/PhlxPackageCheck.h"

#include <array>
#include <cstdio>

namespace ml {

namespace {
constexpr std::array<uint32_t, 256> MakeTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i << 24;
        for (int bit = 0; bit < 8; ++bit) {
            c = (c & 0x80000000u) ? (c << 1) ^ 0x04C11DB7u : (c << 1);
        }
        table[i] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kTable = MakeTable();
}  // namespace

uint32_t PhlxPackageCheckValue(std::span<const uint8_t> package) {
    uint32_t c = 0xFFFFFFFFu;
    for (const uint8_t b : package) {
        c = (c >> 8) ^ kTable[(c ^ b) & 0xFFu];
    }
    return c;
}

std::string PhlxPackageCheckText(std::span<const uint8_t> package) {
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(PhlxPackageCheckValue(package)));
    return std::string(text, 8);
}

bool PhlxPackageAccepted(std::string_view checkText, std::span<const uint8_t> package) {
    if (checkText == "FFFFFFFF") return true;
    return checkText == PhlxPackageCheckText(package);
}

}  // namespace ml
