#include "tools/loggersim/SimSentence.h"

#include <cstdio>

#include "link/Checksum.h"

namespace ml::sim {

std::string FrameSentence(std::string_view body, bool corruptChecksum) {
    uint8_t sum = SentenceChecksum(body);
    // Any other value is wrong; flipping every bit keeps both digits valid hex.
    if (corruptChecksum) sum = static_cast<uint8_t>(~sum);
    char digits[2];
    ChecksumDigits(sum, digits);
    std::string sentence;
    sentence.reserve(body.size() + 6);
    sentence += '$';
    sentence += body;
    sentence += '*';
    sentence.append(digits, 2);
    sentence += "\r\n";
    return sentence;
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

ReceivedSentence CheckReceivedSentence(std::string_view line) {
    ReceivedSentence result;
    if (line.empty() || line.front() != '$') {
        result.error = "does not start with '$'";
        return result;
    }
    const size_t star = line.find('*');
    if (star == std::string_view::npos) {
        result.error = "no '*' before the checksum";
        return result;
    }
    if (line.size() < star + 3) {
        result.error = "checksum digits missing";
        return result;
    }
    const int high = HexValue(line[star + 1]);
    const int low = HexValue(line[star + 2]);
    if (high < 0 || low < 0) {
        result.error = "checksum digits are not hexadecimal";
        return result;
    }
    const std::string_view body = line.substr(1, star - 1);
    const uint8_t expected = SentenceChecksum(body);
    if (expected != static_cast<uint8_t>(high * 16 + low)) {
        char text[64];
        std::snprintf(text, sizeof text, "checksum %c%c, expected %02X", line[star + 1], line[star + 2], expected);
        result.error = text;
        return result;
    }
    result.body = std::string(body);
    return result;
}

std::vector<std::string> SplitFields(std::string_view body) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        const size_t comma = body.find(',', start);
        if (comma == std::string_view::npos) {
            fields.emplace_back(body.substr(start));
            return fields;
        }
        fields.emplace_back(body.substr(start, comma - start));
        start = comma + 1;
    }
}

std::string NoiseBytes(unsigned index) {
    using namespace std::string_literals;
    switch (index % 4) {
        case 0: return "\xFF\xFF\x00\xFE"s;
        case 1: return FrameSentence("GPTXT,01,01,02,LOGGER NOISE");
        case 2: return "\x00$PM\r\n"s;
        default: return "#@\xA5\x5A noise\r\n"s;
    }
}

std::string Printable(std::string_view bytes, std::size_t limit) {
    std::string text;
    const size_t shown = std::min(bytes.size(), limit);
    for (size_t i = 0; i < shown; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c == '\r') {
            text += "\\r";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\\') {
            text += "\\\\";
        } else if (c >= 0x20 && c < 0x7F) {
            text += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            text += hex;
        }
    }
    if (shown < bytes.size()) {
        text += "... (" + std::to_string(bytes.size()) + " bytes)";
    }
    return text;
}

}  // namespace ml::sim
