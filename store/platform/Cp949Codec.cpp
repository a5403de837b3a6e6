#include "store/platform/Cp949Codec.h"

#include <cerrno>

#include "store/Cp949Bytes.h"

namespace ml {

namespace {
constexpr const char* kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

// Length of the UTF-8 sequence at the start of `text` that iconv refused,
// so that the whole character is skipped and replaced once.
size_t Utf8SkipLength(std::string_view text) {
    if (text.empty()) return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    size_t valid = 1;
    while (valid < length && valid < text.size() && (static_cast<unsigned char>(text[valid]) & 0xC0) == 0x80) {
        ++valid;
    }
    return valid;
}
}  // namespace

Cp949Codec::Cp949Codec() : toDisk_(iconv_open("CP949", "UTF-8")), fromDisk_(iconv_open("UTF-8", "CP949")) {}

Cp949Codec::~Cp949Codec() {
    if (toDisk_ != kNoHandle) iconv_close(toDisk_);
    if (fromDisk_ != kNoHandle) iconv_close(fromDisk_);
}

const Cp949Codec& Cp949Codec::Instance() {
    static const Cp949Codec codec;
    return codec;
}

std::string Cp949Codec::Convert(iconv_t handle, std::string_view input, bool fromUtf8, size_t* replaced) const {
    std::string out;
    out.reserve(input.size() * 2);
    std::lock_guard lock(mutex_);
    if (handle != kNoHandle) iconv(handle, nullptr, nullptr, nullptr, nullptr);
    char buffer[1024];
    while (!input.empty()) {
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        char* outPtr = buffer;
        size_t outLeft = sizeof(buffer);
        size_t result = 0;
        if (handle != kNoHandle) {
            result = iconv(handle, &in, &inLeft, &outPtr, &outLeft);
        } else {
            result = static_cast<size_t>(-1);
            errno = EILSEQ;
        }
        const int error = errno;
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        input.remove_prefix(input.size() - inLeft);
        if (result != static_cast<size_t>(-1) || input.empty()) continue;
        if (error == E2BIG) continue;
        // EILSEQ, or EINVAL for a sequence cut at the end: replace and go on.
        if (handle == kNoHandle && static_cast<unsigned char>(input[0]) < 0x80) {
            out += input[0];
            input.remove_prefix(1);
            continue;
        }
        out += fromUtf8 ? "?" : kReplacementUtf8;
        if (replaced != nullptr) ++*replaced;
        input.remove_prefix(fromUtf8 ? Utf8SkipLength(input) : 1);
        if (handle != kNoHandle) iconv(handle, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

std::string Cp949Codec::ToDisk(std::string_view utf8, size_t* replaced) const {
    if (IsAscii(utf8)) return std::string(utf8);
    return Convert(toDisk_, utf8, true, replaced);
}

std::string Cp949Codec::FromDisk(std::string_view disk, size_t* replaced) const {
    if (IsAscii(disk)) return std::string(disk);
    return Convert(fromDisk_, disk, false, replaced);
}

size_t Cp949Codec::FitLength(std::string_view disk, size_t maxBytes) const { return Cp949FitLength(disk, maxBytes); }

}  // namespace ml
