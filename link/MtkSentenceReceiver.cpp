#include "link/MtkSentenceReceiver.h"

#include "core/DiagLog.h"
#include "link/Checksum.h"

namespace ml {

namespace {
constexpr std::string_view kPrefix = "$PMTK";
}

MtkSentenceReceiver::MtkSentenceReceiver(Handler handler) : handler_(std::move(handler)) {}

void MtkSentenceReceiver::SetHandler(Handler handler) { handler_ = std::move(handler); }

void MtkSentenceReceiver::Feed(std::span<const uint8_t> bytes) {
    for (const uint8_t b : bytes) FeedByte(b);
}

void MtkSentenceReceiver::Feed(const char* data, long count) {
    if (data == nullptr || count < 1) return;
    Feed(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(data), static_cast<size_t>(count)));
}

void MtkSentenceReceiver::Reset() {
    buffer_.fill(0);
    position_ = 0;
    crcErrors_ = 0;
}

void MtkSentenceReceiver::FeedByte(uint8_t byte) {
    // A "$" always starts a new sentence: PMTK sentences never carry one
    // inside, so a "$" there means the previous sentence lost its end on the
    // line, and resyncing here keeps the sentence that follows.
    if (byte == '$') {
        if (position_ >= kPrefix.size()) DiagWrite("PMTK sentence cut short\n");
        buffer_[0] = '$';
        position_ = 1;
        return;
    }
    buffer_[position_] = static_cast<char>(byte);
    if (position_ < kPrefix.size()) {
        position_ = (static_cast<char>(byte) == kPrefix[position_]) ? position_ + 1 : 0;
        return;
    }
    if (byte != '\n') {
        // An overlong sentence is abandoned and later bytes overwrite it.
        if (++position_ >= kBufferSize) position_ = 0;
        return;
    }
    EndSentence();
}

void MtkSentenceReceiver::EndSentence() {
    const size_t p = position_;  // index of the LF, at least 5
    char digits[2];
    ChecksumDigits(SentenceChecksum(std::string_view(buffer_.data(), p)), digits);
    // The digits stand right before CR LF; compared as characters so that
    // lower-case digits fail, as on the logger's own host software.
    if (buffer_[p - 3] == digits[0] && buffer_[p - 2] == digits[1]) {
        if (handler_) handler_(std::string_view(buffer_.data(), p + 1));
    } else {
        ++crcErrors_;
        DiagWrite("CRC error!\n");
    }
    buffer_.fill(0);
    position_ = 0;
}

}  // namespace ml
