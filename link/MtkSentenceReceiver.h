#pragma once
// Reassembles "$PMTK" sentences from the byte chunks read off the port and
// hands every one whose checksum is right to a handler. Partial sentences
// survive between chunks. Bytes before "$PMTK" are dropped by a prefix
// match; an LF ends a sentence, whose two checksum digits before CR LF must
// equal the computed checksum rendered upper-case (lower-case digits fail).
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace ml {

class MtkSentenceReceiver {
public:
    // Receives one checked sentence, from "$" to LF inclusive.
    using Handler = std::function<void(std::string_view sentence)>;

    static constexpr size_t kBufferSize = 8096;

    explicit MtkSentenceReceiver(Handler handler = {});

    void SetHandler(Handler handler);

    // Feeds one chunk as read from the port.
    void Feed(std::span<const uint8_t> bytes);
    // The read's raw result: a count below 1 (nothing read, or -1 for a
    // failed read) is ignored.
    void Feed(const char* data, long count);

    // Forgets any partial sentence (buffer zeroed, position 0).
    void Reset();

    // Sentences dropped for a wrong checksum since construction or Reset.
    uint64_t crcErrors() const { return crcErrors_; }

private:
    void FeedByte(uint8_t byte);
    void EndSentence();

    Handler handler_;
    std::array<char, kBufferSize> buffer_{};
    size_t position_ = 0;
    uint64_t crcErrors_ = 0;
};

}  // namespace ml
