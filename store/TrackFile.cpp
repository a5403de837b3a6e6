#include "store/TrackFile.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/Bytes.h"
#include "core/TextFormat.h"
#include "core/TrackBuilder.h"

namespace ml {

namespace {
constexpr uint8_t kShift = 10;
constexpr uint8_t kScrambledLineFeed = '\n' + kShift;
constexpr uint8_t kScrambledReturn = '\r' + kShift;
constexpr size_t kFixBytes = 16;

// A field must not carry the separators of the line.
std::string SafeField(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == ',') {
            out += "\xEF\xBC\x8C";  // U+FF0C FULLWIDTH COMMA, 0xA3AC in CP949
        } else if (c == '\r' || c == '\n') {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

void PutDouble(std::vector<uint8_t>& out, double value) { AppendLe64(out, std::bit_cast<uint64_t>(value)); }

double GetDouble(std::span<const uint8_t> bytes, size_t at) { return std::bit_cast<double>(ReadLe64(bytes, at)); }

void AppendTrack(std::vector<uint8_t>& out, const TrackRecord& track, const TextCodec& codec, size_t* replaced) {
    std::string line;
    const auto texts = TrackTexts(track);
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) line += ',';
        line += codec.ToDisk(SafeField(*texts[i]), replaced);
    }
    line += "\r\n";
    for (char c : line) out.push_back(static_cast<uint8_t>(static_cast<uint8_t>(c) + kShift));
    AppendLe32(out, static_cast<uint32_t>(track.fixes.size()));
    for (const FixRecord& fix : track.fixes) {
        PutDouble(out, static_cast<double>(fix.latitude));
        PutDouble(out, static_cast<double>(fix.longitude));
    }
}

// Fills the eleven texts from an unscrambled line: the segments before the
// last comma fill the fields in order (at most ten of them), the last
// segment is always endAddress.
void SplitLine(std::string_view line, TrackRecord& track, const TextCodec& codec, size_t* replaced) {
    auto texts = TrackTexts(track);
    size_t field = 0;
    for (size_t comma = line.find(','); comma != std::string_view::npos; comma = line.find(',')) {
        if (field < kTrackTextCount - 1) *texts[field++] = codec.FromDisk(line.substr(0, comma), replaced);
        line.remove_prefix(comma + 1);
    }
    *texts[kTrackTextCount - 1] = codec.FromDisk(line, replaced);
}
}  // namespace

std::vector<uint8_t> EncodeTrackFile(const SettingBlock& header, const TrackList& tracks, bool onlySelected,
                                     const TextCodec& codec, size_t* replaced) {
    const auto headerBytes = EncodeSettingBlock(header);
    size_t expected = headerBytes.size();
    for (const TrackRecord& track : tracks) expected += 256 + 4 + kFixBytes * track.fixes.size();
    std::vector<uint8_t> out;
    out.reserve(expected);
    out.assign(headerBytes.begin(), headerBytes.end());
    for (const TrackRecord& track : tracks) {
        if (onlySelected && track.selected == 0) continue;
        AppendTrack(out, track, codec, replaced);
    }
    return out;
}

TrackFileContents DecodeTrackFile(std::span<const uint8_t> bytes, const TextCodec& codec) {
    TrackFileContents contents;
    contents.headerBlock = DecodeSettingBlock(bytes);
    contents.header = FromSettingBlock(contents.headerBlock, codec, &contents.replacedChars);
    if (bytes.size() < SettingBlock::kSize) {
        contents.damaged = true;
        contents.message =
            Format("설정 머리말 도중에 파일이 끝납니다 (%zu/%zu바이트)", bytes.size(), SettingBlock::kSize);
        return contents;
    }

    size_t pos = SettingBlock::kSize;
    std::string line;
    while (pos < bytes.size()) {
        const size_t entryStart = pos;
        const size_t trackNumber = contents.tracks.size() + 1;
        const auto* begin = bytes.data() + pos;
        const auto* end = static_cast<const uint8_t*>(std::memchr(begin, kScrambledLineFeed, bytes.size() - pos));
        if (end == nullptr) {
            contents.damaged = true;
            contents.message =
                Format("트랙 %zu의 텍스트 줄 도중에 파일이 끝납니다 (%zu바이트째)", trackNumber, entryStart);
            break;
        }
        line.clear();
        for (const auto* p = begin; p != end; ++p) {
            if (*p != kScrambledReturn) line += static_cast<char>(static_cast<uint8_t>(*p - kShift));
        }
        pos += static_cast<size_t>(end - begin) + 1;

        if (bytes.size() - pos < 4) {
            contents.damaged = true;
            contents.message = Format("트랙 %zu의 위치 개수 도중에 파일이 끝납니다 (%zu바이트째)", trackNumber, pos);
            break;
        }
        const uint32_t count = ReadLe32(bytes, pos);
        pos += 4;
        // Checked before anything is allocated: a count larger than the rest
        // of the file is a cut file or a hostile one, never a real track.
        const size_t room = (bytes.size() - pos) / kFixBytes;
        if (count > room) {
            contents.damaged = true;
            contents.message = Format("트랙 %zu의 위치 %u개 중 %zu개만 파일에 있습니다 (%zu바이트째)", trackNumber,
                                      count, room, pos - 4);
            break;
        }

        TrackRecord track;
        SplitLine(line, track, codec, &contents.replacedChars);
        track.color = DrawTrackColor();
        track.selected = 1;
        track.fixes.resize(count);
        for (FixRecord& fix : track.fixes) {
            fix.latitude = static_cast<float>(GetDouble(bytes, pos));
            fix.longitude = static_cast<float>(GetDouble(bytes, pos + 8));
            pos += kFixBytes;
        }
        contents.tracks.push_back(std::move(track));
    }
    return contents;
}

std::string TrackFilePath(std::string_view chosen) {
    std::string path(chosen);
    constexpr std::string_view kExtension = ".dat";
    const bool hasExtension =
        path.size() >= kExtension.size() &&
        std::equal(kExtension.begin(), kExtension.end(), path.end() - kExtension.size(),
                   [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b); });
    if (!hasExtension) path += kExtension;
    return path;
}

}  // namespace ml
