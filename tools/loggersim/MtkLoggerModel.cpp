#include "tools/loggersim/MtkLoggerModel.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "core/Bytes.h"
#include "tools/loggersim/SimSentence.h"

namespace ml::sim {

namespace {

// A hexadecimal field of at most eight digits, as the firmware parses them.
bool ParseHex(const std::string& text, uint32_t& value) {
    if (text.empty() || text.size() > 8) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return error == std::errc() && end == text.data() + text.size();
}

bool ParseDecimal(const std::string& text, int& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    return error == std::errc() && end == text.data() + text.size();
}

std::string Hex8(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", value);
    return text;
}

}  // namespace

MtkLoggerModel::MtkLoggerModel(std::vector<uint8_t> image, MtkLoggerOptions options)
    : image_(std::move(image)), options_(std::move(options)) {
    if (options_.chunkSize == 0) options_.chunkSize = 2048;
}

std::string MtkLoggerModel::Stats() const {
    return "reads " + std::to_string(reads_) + "\nmemory-bytes " + std::to_string(memoryBytesSent_) + "\n";
}

uint32_t MtkLoggerModel::RecordCount() const {
    uint32_t total = 0;
    for (size_t sector = 0; sector + 0x200 <= image_.size(); sector += kSectorSize) {
        if (ReadLe32(image_, sector + 0x1FC) != 0xBBBBBBBBu) continue;
        const uint32_t count = ReadLe16(image_, sector);
        if (count != 0xFFFF) total += count;
    }
    return total;
}

std::string MtkLoggerModel::Receive(std::string_view bytes) {
    std::string out;
    for (const std::string& line : assembler_.Feed(bytes)) out += Answer(line);
    return out;
}

void MtkLoggerModel::Emit(std::string& out, const std::string& body, bool corrupt) {
    if (options_.garbageBetween) out += NoiseBytes(noiseIndex_++);
    out += FrameSentence(body, corrupt);
}

std::string MtkLoggerModel::Answer(const std::string& line) {
    const ReceivedSentence sentence = CheckReceivedSentence(line);
    if (!sentence.error.empty()) {
        Trace("mtk: ignored " + Printable(line) + ": " + sentence.error);
        return {};
    }
    const std::vector<std::string> fields = SplitFields(sentence.body);
    std::string out;
    if (fields[0] == "PHLX810") {
        Trace("mtk: product query, answering as an MTK logger");
        Emit(out, "PHLX852,MTK-3339,LOGGER,V1.8");
    } else if (fields[0] == "PHLX827") {
        Trace("mtk: end of download");
        Emit(out, "PHLX860");
    } else if (fields[0] == "PMTK182") {
        out = AnswerPmtk182(fields);
    } else if (fields[0].rfind("PMTK", 0) == 0) {
        Trace("mtk: unsupported command " + fields[0]);
        Emit(out, "PMTK001," + fields[0].substr(4) + ",1");
    } else {
        Trace("mtk: ignored " + Printable(line));
    }
    return out;
}

std::string MtkLoggerModel::AnswerPmtk182(const std::vector<std::string>& fields) {
    std::string out;
    const std::string type = fields.size() > 1 ? fields[1] : std::string();
    if (type == "2") {
        int item = 0;
        if (fields.size() != 3 || !ParseDecimal(fields[2], item)) {
            Emit(out, "PMTK001,182,2,0");
            return out;
        }
        const std::string value = StatusValue(item);
        Trace("mtk: status item " + fields[2] + " = " + value);
        Emit(out, "PMTK182,3," + fields[2] + "," + value);
        Emit(out, "PMTK001,182,2,3");
    } else if (type == "7") {
        uint32_t address = 0;
        uint32_t size = 0;
        if (fields.size() != 4 || !ParseHex(fields[2], address) || !ParseHex(fields[3], size)) {
            Trace("mtk: malformed read command");
            Emit(out, "PMTK001,182,7,0");
            return out;
        }
        return ReadMemory(address, size);
    } else if (type == "6") {
        Trace("mtk: log erased (" + std::to_string(image_.size()) + " bytes)");
        image_.clear();
        Emit(out, "PMTK001,182,6,3");
    } else {
        Trace("mtk: unsupported PMTK182 type " + type);
        Emit(out, "PMTK001,182," + type + ",1");
    }
    return out;
}

std::string MtkLoggerModel::StatusValue(int item) const {
    switch (item) {
        case 2: {
            const uint32_t format = image_.size() >= 6 ? ReadLe32(image_, 2) : 0x8800003Du;
            return Hex8(format == 0xFFFFFFFFu ? 0x8800003Du : format);
        }
        case 3: return "50";
        case 4:  // distance and speed criteria off
        case 5: return "0";
        case 6: return "1";
        case 7: return "2";
        case 8: return Hex8(static_cast<uint32_t>(image_.size()));
        case 9: {
            uint32_t code = 0;
            while ((uint32_t{1} << (code + 1)) <= options_.flashSize) ++code;
            char id[8];
            std::snprintf(id, sizeof id, "C220%02X", code);
            return id;
        }
        case 10: return Hex8(RecordCount());
        case 11: return std::to_string(options_.flashSize / kSectorSize);
        case 12: return std::to_string(RecordCount());
        default: return "0";
    }
}

std::string MtkLoggerModel::ReadMemory(uint32_t address, uint32_t size) {
    std::string out;
    if (static_cast<uint64_t>(address) + size > options_.flashSize) {
        Trace("mtk: read past the end of the flash refused");
        Emit(out, "PMTK001,182,7,2");
        return out;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    const size_t chunks = (size + options_.chunkSize - 1) / options_.chunkSize;
    Trace("mtk: read " + std::to_string(size) + " bytes from " + Hex8(address) + " in " + std::to_string(chunks) +
          " sentences");
    out.reserve(static_cast<size_t>(size) * 2 + chunks * 40);
    ++reads_;
    for (size_t chunk = 0; chunk < chunks; ++chunk) {
        const uint32_t start = address + static_cast<uint32_t>(chunk * options_.chunkSize);
        const uint32_t count = std::min<uint32_t>(static_cast<uint32_t>(options_.chunkSize), address + size - start);
        if (options_.dropChunks.count(chunk) != 0) {
            Trace("mtk: data sentence " + std::to_string(chunk) + " dropped");
            continue;
        }
        std::string body = "PMTK182,8," + Hex8(start) + ",";
        for (uint32_t i = 0; i < count; ++i) {
            const size_t at = static_cast<size_t>(start) + i;
            const uint8_t byte = at < image_.size() ? image_[at] : 0xFF;
            body += kHex[byte >> 4];
            body += kHex[byte & 0x0F];
        }
        memoryBytesSent_ += count;
        const bool corrupt = options_.badChecksumEvery != 0 && (chunk + 1) % options_.badChecksumEvery == 0;
        if (corrupt) Trace("mtk: data sentence " + std::to_string(chunk) + " sent with a bad checksum");
        Emit(out, body, corrupt);
    }
    Emit(out, "PMTK001,182,7,3");
    return out;
}

}  // namespace ml::sim
