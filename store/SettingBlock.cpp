#include "store/SettingBlock.h"

#include <algorithm>
#include <cstring>

#include "core/Bytes.h"

namespace ml {

namespace {
constexpr size_t kNumbersOffset = SettingBlock::kTextCount * SettingBlock::kTextSize;
}  // namespace

std::string_view SettingBlock::Text(size_t index) const {
    if (index >= kTextCount) return {};
    const auto& field = texts[index];
    const auto* end = std::find(field.begin(), field.end(), '\0');
    return std::string_view(field.data(), static_cast<size_t>(end - field.begin()));
}

void SettingBlock::SetText(size_t index, std::string_view disk, const TextCodec& codec) {
    if (index >= kTextCount) return;
    // A NUL inside the text would end it early on the way back; stop there.
    disk = disk.substr(0, std::min(disk.find('\0'), disk.size()));
    const size_t length = codec.FitLength(disk, kMaxTextBytes);
    auto& field = texts[index];
    field.fill('\0');
    if (length > 0) std::memcpy(field.data(), disk.data(), length);
}

std::array<uint8_t, SettingBlock::kSize> EncodeSettingBlock(const SettingBlock& block) {
    std::array<uint8_t, SettingBlock::kSize> bytes{};
    for (size_t i = 0; i < SettingBlock::kTextCount; ++i) {
        std::memcpy(bytes.data() + i * SettingBlock::kTextSize, block.texts[i].data(), SettingBlock::kTextSize);
    }
    WriteLe32(bytes, kNumbersOffset, static_cast<uint32_t>(block.trackCutMode));
    WriteLe32(bytes, kNumbersOffset + 4, static_cast<uint32_t>(block.trackCutTime));
    WriteLe32(bytes, kNumbersOffset + 8, static_cast<uint32_t>(block.trackCutDis));
    return bytes;
}

SettingBlock DecodeSettingBlock(std::span<const uint8_t> bytes) {
    std::array<uint8_t, SettingBlock::kSize> padded{};
    if (!bytes.empty()) std::memcpy(padded.data(), bytes.data(), std::min(bytes.size(), padded.size()));
    SettingBlock block;
    for (size_t i = 0; i < SettingBlock::kTextCount; ++i) {
        std::memcpy(block.texts[i].data(), padded.data() + i * SettingBlock::kTextSize, SettingBlock::kTextSize);
    }
    block.trackCutMode = static_cast<int32_t>(ReadLe32(padded, kNumbersOffset));
    block.trackCutTime = static_cast<int32_t>(ReadLe32(padded, kNumbersOffset + 4));
    block.trackCutDis = static_cast<int32_t>(ReadLe32(padded, kNumbersOffset + 8));
    return block;
}

SettingBlock ToSettingBlock(const Settings& settings, const TextCodec& codec, size_t* replaced) {
    SettingBlock block;
    const auto& members = SettingTextsInBlockOrder();
    for (size_t i = 0; i < members.size(); ++i) {
        block.SetText(i, codec.ToDisk(settings.*members[i], replaced), codec);
    }
    block.trackCutMode = settings.trackCutMode;
    block.trackCutTime = settings.trackCutTime;
    block.trackCutDis = settings.trackCutDis;
    return block;
}

Settings FromSettingBlock(const SettingBlock& block, const TextCodec& codec, size_t* replaced) {
    Settings settings;
    const auto& members = SettingTextsInBlockOrder();
    for (size_t i = 0; i < members.size(); ++i) {
        settings.*members[i] = codec.FromDisk(block.Text(i), replaced);
    }
    settings.trackCutMode = block.trackCutMode;
    settings.trackCutTime = block.trackCutTime;
    settings.trackCutDis = block.trackCutDis;
    return settings;
}

Settings FitSettings(const Settings& settings, const TextCodec& codec) {
    return FromSettingBlock(ToSettingBlock(settings, codec), codec);
}

}  // namespace ml
