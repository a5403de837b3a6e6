#pragma once
// Conversion between the UTF-8 texts held in memory and the code page of the
// files on disk (CP949, so that files move between the Windows and the Linux
// build unchanged). The file formats take the codec as an interface so that
// they stay pure; the real one is Cp949Codec in the platform layer.
//
// No conversion ever fails or drops a character silently: a character the
// target cannot hold becomes a replacement and is counted, so that callers
// can tell the user.
#include <cstddef>
#include <string>
#include <string_view>

namespace ml {

class TextCodec {
public:
    virtual ~TextCodec() = default;

    // UTF-8 to disk bytes. Every character the disk code page cannot hold,
    // and every byte that is not valid UTF-8, becomes "?"; each adds one to
    // *replaced when given.
    virtual std::string ToDisk(std::string_view utf8, size_t* replaced = nullptr) const = 0;

    // Disk bytes to UTF-8. Every byte that does not start a valid character
    // becomes U+FFFD; each adds one to *replaced when given.
    virtual std::string FromDisk(std::string_view disk, size_t* replaced = nullptr) const = 0;

    // The length of the longest prefix of `disk` that holds at most
    // `maxBytes` bytes and ends on a character boundary.
    virtual size_t FitLength(std::string_view disk, size_t maxBytes) const = 0;
};

}  // namespace ml
