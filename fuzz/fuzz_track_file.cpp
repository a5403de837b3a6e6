// Any bytes as a track file: the loader must never crash, never read out of
// bounds and never allocate for a fix count the file cannot hold. Complete
// tracks must save back to a file that loads to the same texts.
#include <cstddef>
#include <cstdint>
#include <span>

#include "store/TrackFile.h"
#include "store/platform/Cp949Codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto& codec = ml::Cp949Codec::Instance();
    const auto contents = ml::DecodeTrackFile(std::span<const uint8_t>(data, size), codec);
    size_t fixes = 0;
    for (const auto& track : contents.tracks) fixes += track.fixes.size();
    if (fixes * 16 > size) __builtin_trap();

    const auto again =
        ml::DecodeTrackFile(ml::EncodeTrackFile(contents.headerBlock, contents.tracks, false, codec), codec);
    if (again.damaged || again.tracks.size() != contents.tracks.size()) __builtin_trap();
    return 0;
}
