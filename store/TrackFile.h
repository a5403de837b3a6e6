#pragma once
// The track file (*.dat): the settings in force when it was saved, then the
// tracks' texts and fix positions. All numbers little-endian.
//
//   1548 bytes   SettingBlock (see SettingBlock.h)
//   per track    text line: the eleven texts in TrackRecord order joined by
//                "," and ended by CR LF, CP949, every byte + 10 (mod 256);
//                the line ends at the first byte that unscrambles to LF
//                uint32 n, then n x (latitude, longitude) as 64-bit IEEE floats
//
// There is no length field and no quoting. Quirks kept for compatibility:
// CP949 lead bytes 0xF6-0xFF scramble to 0x00-0x09; CR is dropped anywhere
// in a line; a line with more than ten commas keeps its first ten fields and
// its last segment (as endAddress), dropping the ones between.
//
// Because of that, the writer puts the full-width comma "，" where a text
// holds "," (addresses do) and a blank for CR or LF, so that every field
// comes back in its place. The reader still splits at every ",", so files
// from elsewhere load as before.
//
// Fix times, speeds, heights and distances are not stored; a loaded fix has
// only latitude and longitude (rounded to float) and the texts are shown as
// they were saved.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/TrackRecord.h"
#include "store/SettingBlock.h"
#include "store/Settings.h"
#include "store/TextCodec.h"

namespace ml {

struct TrackFileContents {
    SettingBlock headerBlock;  // the header as stored
    Settings header;           // the same in UTF-8: the source of report details
    TrackList tracks;          // complete tracks in file order; colour drawn, selected 1
    // True when the file ends inside an entry, or an entry declares more
    // fixes than the file holds; the tracks before that point are kept.
    bool damaged = false;
    std::string message;       // what is wrong, with the track number and byte offset
    size_t replacedChars = 0;  // bytes that were not CP949 and were shown as U+FFFD
};

// The whole file. `onlySelected` keeps the tracks whose `selected` is not 0.
// Characters CP949 cannot hold become "?" and are counted in *replaced.
std::vector<uint8_t> EncodeTrackFile(const SettingBlock& header, const TrackList& tracks, bool onlySelected,
                                     const TextCodec& codec, size_t* replaced = nullptr);

// Never fails: a damaged file gives its complete tracks and the reason.
// Colours are drawn with DrawTrackColor in file order.
TrackFileContents DecodeTrackFile(std::span<const uint8_t> bytes, const TextCodec& codec);

// The path a save writes: ".dat" appended unless the name already ends in
// ".dat" in any case (so "trip.DAT" is kept, "trip.data" and "x.dat/trip"
// get it: the load dialog shows only names that end in it).
std::string TrackFilePath(std::string_view chosen);

}  // namespace ml
