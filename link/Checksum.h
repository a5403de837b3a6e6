#pragma once
// The checksum of the command sentences both logger kinds exchange: the XOR
// of the bytes from the start up to the first '*', skipping every '$'.
#include <cstdint>
#include <string_view>

namespace ml {

uint8_t SentenceChecksum(std::string_view sentence);

// The checksum as the two upper-case hexadecimal digits a sentence carries.
void ChecksumDigits(uint8_t checksum, char out[2]);

}  // namespace ml
