#pragma once
// What to read of an MTK logger's memory when part of it is known from an
// earlier download, and how the pieces read make the whole image again.
// Pure: sizes and bytes in, decisions out.
//
// The logger only appends to its memory until it is erased or wraps round
// (in overwrite mode). So when the memory in use is at least as long as the
// known image, and the last chunk of the known image still reads the same,
// everything before it is the same too and only the bytes after it are new.
// One exception: a sector's 512-byte header is written again when the
// sector closes (its record count goes from unset to the final count), so
// the header of the sector that was still open last time is read again.
// Sector headers are left out of every comparison for the same reason.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ml {

inline constexpr uint32_t kMtkSectorBytes = 0x10000;
inline constexpr uint32_t kMtkHeaderBytes = 0x200;
// The chunk compared with the end of the known image: one data sentence of
// the usual size, so a match is not a coincidence of a few records.
inline constexpr uint32_t kMtkCompareBytes = 0x800;

// [start, end) in the logger's memory.
struct ByteRange {
    uint32_t start = 0;
    uint32_t end = 0;
    uint32_t size() const { return end > start ? end - start : 0; }
    bool operator==(const ByteRange&) const = default;
};

enum class MtkReadKind {
    Full,         // everything from address 0
    Incremental,  // `checks` first; on a match `tail`, else everything
};

// Why a read is full.
enum class MtkFullReason {
    None,          // the read is incremental
    Asked,         // the user asked for a full read
    NothingKnown,  // no earlier download of this logger (or too little of one)
    Shrunk,        // less memory in use than known: erased or wrapped round
    Mismatch,      // the compared chunk differs: erased and written again
};

struct MtkReadPlan {
    MtkReadKind kind = MtkReadKind::Full;
    MtkFullReason reason = MtkFullReason::NothingKnown;
    std::vector<ByteRange> checks;  // read in this order: open sector header, compared chunk (merged when they touch)
    ByteRange compare;              // the compared chunk, ending where the known image ends
    ByteRange tail;                 // [known, used): the new bytes
    uint32_t usedBytes = 0;

    // Bytes the plan reads when the compared chunk matches (or all of a
    // full read).
    uint32_t BytesToRead() const;
};

MtkReadPlan PlanMtkRead(uint32_t knownBytes, uint32_t usedBytes, bool forceFull);

// True when the pieces read (`ranges` in order, their bytes one after the
// other in `bytes`) agree with `known` wherever both hold data outside the
// sector headers, and at least one such byte was compared.
bool AgreesWithKnown(std::span<const uint8_t> known, std::span<const ByteRange> ranges, std::span<const uint8_t> bytes);

// Writes the pieces read (`ranges` in order, their bytes one after the other
// in `bytes`) into `image`, which grows as needed. False, with `image`
// unchanged, when a piece would leave a gap or `bytes` is too short.
bool ApplyReads(std::vector<uint8_t>& image, std::span<const ByteRange> ranges, std::span<const uint8_t> bytes);

// "0-512,63488-65536" and back; nullopt for anything else.
std::string FormatRanges(std::span<const ByteRange> ranges);
std::optional<std::vector<ByteRange>> ParseRanges(std::string_view text);

}  // namespace ml
