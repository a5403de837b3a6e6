#pragma once
// The CP949 codec of the files on disk, through iconv (glibc's "CP949",
// i.e. Unified Hangul Code, the same table as Windows code page 949).
//
// Replacements: a character CP949 cannot hold (or bad UTF-8) is written as
// "?"; a byte that does not start a CP949 character is read as U+FFFD and the
// conversion carries on with the next byte. Both are counted.
//
// Thread-safe: each direction keeps one iconv handle behind a mutex, which
// costs far less than opening a handle per text (a track file has eleven
// texts per track).
#include <iconv.h>

#include <mutex>

#include "store/TextCodec.h"

namespace ml {

class Cp949Codec final : public TextCodec {
public:
    Cp949Codec();
    ~Cp949Codec() override;
    Cp949Codec(const Cp949Codec&) = delete;
    Cp949Codec& operator=(const Cp949Codec&) = delete;

    // The process-wide instance.
    static const Cp949Codec& Instance();

    // False when the C library has no CP949 table; every conversion then
    // replaces every non-ASCII character.
    bool available() const { return toDisk_ != kNoHandle && fromDisk_ != kNoHandle; }

    std::string ToDisk(std::string_view utf8, size_t* replaced = nullptr) const override;
    std::string FromDisk(std::string_view disk, size_t* replaced = nullptr) const override;
    size_t FitLength(std::string_view disk, size_t maxBytes) const override;

private:
    static inline const iconv_t kNoHandle = reinterpret_cast<iconv_t>(-1);
    std::string Convert(iconv_t handle, std::string_view input, bool fromUtf8, size_t* replaced) const;

    iconv_t toDisk_;
    iconv_t fromDisk_;
    mutable std::mutex mutex_;
};

}  // namespace ml
