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

#include "core/TextFormat.h"

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

// The warnings for replaced characters: one line, the file's path after the
// sentence.
inline std::string ReplacedOnSaveWarning(size_t count, const std::string& path) {
    return Format("CP949로 저장할 수 없는 문자 %zu개는 \"?\"로 저장했습니다: %s", count, path.c_str());
}
inline std::string ReplacedOnLoadWarning(size_t count, const std::string& path) {
    return Format("CP949 문자가 아닌 %zu바이트는 U+FFFD(\xEF\xBF\xBD)로 표시됩니다: %s", count, path.c_str());
}

}  // namespace ml
