#pragma once
// The fifteen settings as the fixed 1548-byte record that heads every track
// file (and that the Windows build keeps in memory):
//
//   offset    0  12 texts of 128 bytes, CP949, NUL-terminated, in the order
//                EMPOLYEE_NAME, EMPOLYEE_NUM, EMPOLYEE_PART_NAME,
//                CORPRATE_NAME, CORPRATE_NUM, BUSINESS_YEAR_START,
//                BUSINESS_YEAR_END, OIL_BILL, CAR_NAME, CAR_NUM, CAR_MILEAGE,
//                CAR_MATER_NUM
//   offset 1536  TRACK_CUT_MODE, TRACK_CUT_TIME, TRACK_CUT_DIS: signed
//                32-bit, little-endian
//
// Bytes after a text's NUL carry no meaning; we write zeros there. A text
// holds at most 127 bytes, cut on a character boundary.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "store/Settings.h"
#include "store/TextCodec.h"

namespace ml {

struct SettingBlock {
    static constexpr size_t kTextCount = 12;
    static constexpr size_t kTextSize = 128;
    static constexpr size_t kMaxTextBytes = kTextSize - 1;
    static constexpr size_t kSize = 1548;

    std::array<std::array<char, kTextSize>, kTextCount> texts{};  // CP949
    int32_t trackCutMode = 0;
    int32_t trackCutTime = 0;
    int32_t trackCutDis = 0;

    // The text at `index` (block order) up to its NUL, never past the field.
    std::string_view Text(size_t index) const;
    // Stores a CP949 text, cut to 127 bytes on a character boundary.
    void SetText(size_t index, std::string_view disk, const TextCodec& codec);
};
static_assert(sizeof(SettingBlock) == SettingBlock::kSize, "SettingBlock is 1548 bytes");
static_assert(offsetof(SettingBlock, trackCutMode) == 1536);
static_assert(offsetof(SettingBlock, trackCutTime) == 1540);
static_assert(offsetof(SettingBlock, trackCutDis) == 1544);

// The record's bytes, independent of the host's byte order.
std::array<uint8_t, SettingBlock::kSize> EncodeSettingBlock(const SettingBlock& block);
// Reads a record from the first 1548 bytes; missing bytes read as zero.
SettingBlock DecodeSettingBlock(std::span<const uint8_t> bytes);

// UTF-8 settings to the record; characters CP949 cannot hold become "?" and
// are counted in *replaced.
SettingBlock ToSettingBlock(const Settings& settings, const TextCodec& codec, size_t* replaced = nullptr);
Settings FromSettingBlock(const SettingBlock& block, const TextCodec& codec, size_t* replaced = nullptr);

// The settings as they are once stored: every text cut to what its field holds.
Settings FitSettings(const Settings& settings, const TextCodec& codec);

}  // namespace ml
