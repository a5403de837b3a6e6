#pragma once
// Sentence framing on the logger's side of the line: both logger kinds send
// and expect "$" + body + "*" + two upper-case hexadecimal checksum digits +
// CR LF, the checksum being the XOR of the body bytes (ml::SentenceChecksum).
#include <string>
#include <string_view>
#include <vector>

namespace ml::sim {

// The complete sentence for a body. With `corruptChecksum` the two digits
// are still upper-case hexadecimal but name a wrong checksum, as a line
// error would leave them.
std::string FrameSentence(std::string_view body, bool corruptChecksum = false);

// A received sentence taken apart: the body between "$" and "*", or an error
// when the frame or its checksum is wrong. Real loggers ignore such lines.
struct ReceivedSentence {
    std::string body;
    std::string error;  // empty when the sentence is sound
};
ReceivedSentence CheckReceivedSentence(std::string_view line);

// The body split at every ",".
std::vector<std::string> SplitFields(std::string_view body);

// Line noise of the kind a logger emits between sentences (NUL and 0xFF
// bytes, a stray "$" prefix, a foreign NMEA line). None of it forms the
// start of a "$PMTK" or "$PHLX" sentence. `index` picks one of a few variants.
std::string NoiseBytes(unsigned index);

// Bytes shown in a trace: printable ASCII as is, CR/LF as \r \n, the rest as
// \xNN; cut after `limit` bytes with the total noted.
std::string Printable(std::string_view bytes, std::size_t limit = 160);

}  // namespace ml::sim
