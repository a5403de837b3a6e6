#pragma once
// The byte structure of CP949 (Unified Hangul Code), needed to cut a text on
// a character boundary without a conversion library.
//
// A byte below 0x80 is one character. 0x81 to 0xFE lead a two-byte character
// whose second byte is 0x41-0x5A, 0x61-0x7A or 0x81-0xFE. Lead bytes reach
// 0xFE (Hanja rows 0xCA-0xFD), which matters to the track file scrambling.
// 0x80 and 0xFF, and a lead byte without a valid second byte, are taken as
// one (invalid) byte so that a cut never swallows the byte after them.
#include <cstddef>
#include <string_view>

namespace ml {

// Length (1 or 2) of the character that starts at `pos`; 0 when pos is at
// or past the end.
size_t Cp949CharLength(std::string_view bytes, size_t pos);

// Length of the longest prefix of at most maxBytes ending on a boundary.
size_t Cp949FitLength(std::string_view bytes, size_t maxBytes);

}  // namespace ml
