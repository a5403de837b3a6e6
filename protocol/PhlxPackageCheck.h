#pragma once
// The check value of a PHLX binary package. The table is built MSB-first
// with polynomial 0x04C11DB7 (the CRC-32/MPEG-2 table), but the update
// shifts right, starting at 0xFFFFFFFF with no final XOR: the logger's own
// mix, neither standard CRC-32 nor CRC-32/MPEG-2. Devices send it as eight
// upper-case hex digits; "FFFFFFFF" means "not checked".
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ml {

uint32_t PhlxPackageCheckValue(std::span<const uint8_t> package);

// The value as the logger writes it: "%08X".
std::string PhlxPackageCheckText(std::span<const uint8_t> package);

// True when the announced check text is exactly "FFFFFFFF" or equals the
// computed text character for character (so lower-case digits fail).
bool PhlxPackageAccepted(std::string_view checkText, std::span<const uint8_t> package);

}  // namespace ml
