#include "protocol/MtkDownload.h"

#include <algorithm>
#include <new>
#include <utility>

#include "core/DiagLog.h"
#include "core/TextFormat.h"
#include "link/SentenceBuilder.h"
#include "link/SentenceFields.h"

namespace ml {

namespace {
constexpr std::string_view kStatusAck = "$PMTK001,182,2,3*25";
constexpr int kStatusItems = 12;
constexpr int kByteCountItem = 8;
constexpr int kRecordCountItem = 12;
constexpr int kRecordMethodItem = 6;
constexpr int kFlashIdItem = 9;
// A status reply is a few dozen bytes; a logger that streams this much
// without acknowledging is not answering the query.
constexpr size_t kMaxStatusText = size_t{64} * 1024;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads the item 8 value as strtoul(base 16) would, saturating at 32 bits.
uint32_t ParseHexCount(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) i += 2;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
        const int d = HexDigit(c);
        if (d < 0) break;
        value = std::min<uint64_t>(value * 16 + static_cast<uint64_t>(d), 0xFFFFFFFFu);
    }
    return static_cast<uint32_t>(value);
}
// The flash chip's JEDEC id ends in its capacity as a power of two
// (0x15: 2 MiB); 0 when the id does not look like one.
uint32_t FlashBytes(uint32_t flashId) {
    const uint32_t code = flashId & 0xFF;
    return flashId > 0xFF && code >= 0x10 && code <= 0x1A ? uint32_t{1} << code : 0;
}
}  // namespace

MtkDownload::MtkDownload(MtkDownloadOptions options)
    : options_(options), receiver_([this](std::string_view sentence) { OnDataSentence(sentence); }) {
    QueueStatusQuery();
}

OutgoingCommand MtkDownload::TakeOutgoing() { return std::exchange(outgoing_, OutgoingCommand{}); }

void MtkDownload::QueueStatusQuery() {
    outgoing_ = {BuildPmtk182StatusQuery(progress_.statusItem), true};
    statusText_.clear();
}

void MtkDownload::Feed(std::span<const uint8_t> bytes) {
    if (Finished() || bytes.empty()) return;
    if (progress_.stage == MtkStage::StatusQueries) {
        OnStatusBytes(bytes);
        return;
    }
    dataStarted_ = true;
    receiver_.Feed(bytes);
    if (!Finished() && readingGot_ >= reading_.size()) OnReadDone();
}

// Replies may come split over several reads; the whole text since the query
// is kept, so a reply that arrived before the read holding the
// acknowledgement still counts.
void MtkDownload::OnStatusBytes(std::span<const uint8_t> bytes) {
    const size_t searchFrom = statusText_.size() >= kStatusAck.size() ? statusText_.size() - kStatusAck.size() + 1 : 0;
    statusText_.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (statusText_.find(kStatusAck, searchFrom) == std::string::npos) {
        if (statusText_.size() > kMaxStatusText) Finish(MtkOutcome::NoReply);
        return;
    }
    DiagWrite(statusText_);
    ParseStatusText();
    if (progress_.statusItem < kStatusItems) {
        ++progress_.statusItem;
        QueueStatusQuery();
        return;
    }
    statusText_.clear();
    StartDataPhase();
}

void MtkDownload::ParseStatusText() {
    std::string_view text = statusText_;
    size_t lineStart = 0;
    // Only lines ended by LF count: a cut-off last line is incomplete.
    for (size_t lf = text.find('\n'); lf != std::string_view::npos;
         lineStart = lf + 1, lf = text.find('\n', lineStart)) {
        const std::string_view line = text.substr(lineStart, lf - lineStart);
        const size_t at = line.find("$PMTK182");
        if (at == std::string_view::npos) continue;
        const std::string_view reply = line.substr(at);
        bool hasValue = false;
        const std::string_view value = PmtkField(reply, 3, &hasValue);
        if (!hasValue) continue;
        const int item = LeadingInt(PmtkField(reply, 2));
        if (item == kByteCountItem) progress_.byteCount = ParseHexCount(value);
        if (item == kRecordCountItem) progress_.recordCount = LeadingInt(value);
        if (item == kRecordMethodItem) progress_.recordMethod = LeadingInt(value);
        if (item == kFlashIdItem) progress_.flashBytes = FlashBytes(ParseHexCount(value));
    }
}

bool MtkDownload::Allocate(size_t bytes) {
    if (bytes > options_.maxLogBytes) return false;
    try {
        image_.assign(bytes, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void MtkDownload::StartDataPhase() {
    progress_.stage = MtkStage::Data;
    progress_.received = 0;
    receiver_.Reset();
    if (options_.eraseCheck) {
        StartEraseCheck();
        return;
    }
    const uint32_t known = static_cast<uint32_t>(std::min<size_t>(options_.known.size(), options_.maxLogBytes));
    plan_ = PlanMtkRead(known, progress_.byteCount, options_.forceFull);
    planned_ = true;
    progress_.toRead = plan_.BytesToRead();
    if (progress_.byteCount == 0) {
        // The read command goes out even for an empty log, as the logger's
        // host software always did; the outcome is decided after it.
        QueueRead({0, 0});
        Finish(MtkOutcome::NoData);
        return;
    }
    if (plan_.kind == MtkReadKind::Full) {
        if (!Allocate(progress_.byteCount)) {
            outgoing_ = {BuildPmtk182Sentence(7, Format("0,%X", progress_.byteCount)), false};
            Finish(MtkOutcome::AllocationFailed);
            return;
        }
        QueueRead({0, progress_.byteCount});
        return;
    }
    if (!Allocate(progress_.byteCount)) {
        Finish(MtkOutcome::AllocationFailed);
        return;
    }
    std::copy(options_.known.begin(), options_.known.begin() + known, image_.begin());
    imageEnd_ = intactEnd_ = known;
    pending_.assign(plan_.checks.begin() + 1, plan_.checks.end());
    QueueRead(plan_.checks.front());
}

// Only the chunk where the logger's memory and the known image both end is
// read: it shows whether the logger holds anything the known image lacks.
void MtkDownload::StartEraseCheck() {
    const uint32_t used = progress_.byteCount;
    if (used <= kMtkHeaderBytes || used > options_.known.size()) {
        // An empty memory (or a bare header) loses nothing; more than is
        // known loses what is beyond it.
        eraseCheckMatched_ = used <= kMtkHeaderBytes;
        Finish(MtkOutcome::Completed);
        return;
    }
    plan_.compare = {used - std::min(used, kMtkCompareBytes), used};
    if (!Allocate(used)) {
        Finish(MtkOutcome::AllocationFailed);
        return;
    }
    progress_.toRead = plan_.compare.size();
    QueueRead(plan_.compare);
}

void MtkDownload::QueueRead(ByteRange range) {
    reading_ = range;
    readingGot_ = 0;
    readGap_ = false;
    dataStarted_ = false;
    nextAddress_ = range.start;
    chunkBytes_ = 0;
    outgoing_ = {BuildPmtk182Sentence(7, Format("%X,%X", range.start, range.size())), false};
}

// Chunks are placed by arrival order from the address asked for, not by
// their own address field, so a sentence lost to a checksum error shifts
// every later chunk of its read. Hex digits must be upper-case: the first
// other character ends the decoding, and the pairs from there on stay zero
// but still count.
void MtkDownload::OnDataSentence(std::string_view sentence) {
    if (progress_.stage != MtkStage::Data || Finished()) return;
    if (sentence.find("$PMTK182,8") == std::string_view::npos) return;
    const std::string_view hex = PmtkField(sentence, 3);
    const size_t pairs = hex.size() / 2;
    // The address does not place the bytes, but a jump in it shows sentences
    // that never arrived, counted in sentences of the size seen before the
    // gap (the last sentence of a log is usually shorter).
    if (pairs > 0) {
        const uint64_t address = ParseHexCount(PmtkField(sentence, 2));
        const uint64_t unit = chunkBytes_ > 0 ? chunkBytes_ : pairs;
        if (address > nextAddress_) {
            missingSentences_ += (address - nextAddress_ + unit - 1) / unit;
            readGap_ = true;
        }
        nextAddress_ = address + pairs;
        chunkBytes_ = pairs;
    }
    const size_t room = reading_.size() - readingGot_;
    const size_t taken = std::min(pairs, room);
    uint8_t* out = image_.data() + reading_.start + readingGot_;
    for (size_t i = 0; i < taken; ++i) {
        const int hi = HexDigit(hex[2 * i]);
        const int lo = HexDigit(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) break;
        out[i] = static_cast<uint8_t>(hi << 4 | lo);
    }
    readingGot_ += static_cast<uint32_t>(taken);
    progress_.received += static_cast<uint32_t>(taken);
    const uint32_t reached = reading_.start + readingGot_;
    imageEnd_ = std::max(imageEnd_, reached);
    // The image is right from address 0 up to the first lost sentence.
    if (readGap_) gap_ = true;
    if (!gap_ && reading_.start <= intactEnd_) intactEnd_ = std::max(intactEnd_, reached);
}

bool MtkDownload::ComparedChunkMatches() const {
    const ByteRange compare[] = {plan_.compare};
    return AgreesWithKnown(options_.known, compare,
                           std::span<const uint8_t>(image_).subspan(plan_.compare.start, plan_.compare.size()));
}

void MtkDownload::OnReadDone() {
    done_.push_back({reading_.start, reading_.start + readingGot_});
    if (options_.eraseCheck) {
        eraseCheckMatched_ = !readGap_ && ComparedChunkMatches();
        Finish(MtkOutcome::Completed);
        return;
    }
    if (!pending_.empty()) {
        const ByteRange next = pending_.front();
        pending_.erase(pending_.begin());
        QueueRead(next);
        return;
    }
    if (plan_.kind == MtkReadKind::Incremental && !matched_) {
        matched_ = !gap_ && ComparedChunkMatches();
        if (!matched_) {
            // Erased and written again since: everything is new.
            DiagPrintf("mtk: the known image ends differently; reading all %u bytes\n", progress_.byteCount);
            plan_.kind = MtkReadKind::Full;
            plan_.reason = MtkFullReason::Mismatch;
            std::fill(image_.begin(), image_.end(), 0);
            imageEnd_ = intactEnd_ = 0;
            gap_ = false;
            done_.clear();
            progress_.toRead = progress_.byteCount;
            progress_.received = 0;
            QueueRead({0, progress_.byteCount});
            return;
        }
        if (plan_.tail.size() > 0) {
            QueueRead(plan_.tail);
            return;
        }
    }
    FinishData();
}

void MtkDownload::FinishData() {
    const bool incremental = plan_.kind == MtkReadKind::Incremental;
    if (!incremental && progress_.received == 0) {
        Finish(MtkOutcome::NothingReceived);
        return;
    }
    if (!incremental && nextAddress_ < progress_.byteCount && chunkBytes_ > 0) {
        // Sentences missing at the end show only in the byte count.
        missingSentences_ += (progress_.byteCount - nextAddress_ + chunkBytes_ - 1) / chunkBytes_;
    }
    outgoing_ = {BuildPhlxShortSentence("827"), true};
    DiagPrintf("%s\r\n", outgoing_.bytes.c_str());
    Finish(MtkOutcome::Completed);
}

int MtkDownload::SilenceLimitMs() const {
    if (progress_.stage == MtkStage::Data && dataStarted_) return options_.dataGapMs;
    return options_.replyTimeoutMs;
}

void MtkDownload::OnSilence() {
    if (Finished()) return;
    // The logger has sent all it will send. A read that had not yet shown
    // whether the known image still holds leaves nothing to build on.
    const bool judged = plan_.kind == MtkReadKind::Full || matched_;
    if (progress_.stage == MtkStage::Data && dataStarted_ && judged && !options_.eraseCheck) {
        done_.push_back({reading_.start, reading_.start + readingGot_});
        reading_ = {};
        FinishData();
        return;
    }
    Finish(MtkOutcome::NoReply);
}

void MtkDownload::OnReadFailed() {
    if (!Finished()) Finish(MtkOutcome::ReadFailed);
}

void MtkDownload::OnWriteFailed() {
    // Also after Completed (the 827 write): the image stays for decoding.
    outgoing_ = {};
    outcome_ = MtkOutcome::WrongPort;
    progress_.stage = MtkStage::Done;
}

void MtkDownload::Cancel() {
    if (Finished()) return;
    // Tell the logger the download is over, as after a complete one.
    outgoing_ = {BuildPhlxShortSentence("827"), true};
    Finish(MtkOutcome::Cancelled);
}

void MtkDownload::Finish(MtkOutcome outcome) {
    outcome_ = outcome;
    progress_.stage = MtkStage::Done;
}

std::span<const uint8_t> MtkDownload::logImage() const {
    return {image_.data(), std::min<size_t>(imageEnd_, image_.size())};
}

void MtkDownload::ReleaseLogImage() {
    std::vector<uint8_t>().swap(image_);
    imageEnd_ = intactEnd_ = 0;
    done_.clear();
    reading_ = {};
}

MtkReceived MtkDownload::Received() const {
    MtkReceived out;
    if (options_.eraseCheck || (plan_.kind == MtkReadKind::Incremental && !matched_)) return out;
    out.incremental = plan_.kind == MtkReadKind::Incremental;
    std::vector<ByteRange> ranges = done_;
    if (reading_.size() > 0 && (ranges.empty() || ranges.back().start != reading_.start)) {
        ranges.push_back({reading_.start, reading_.start + readingGot_});
    }
    for (const ByteRange& r : ranges) {
        if (r.size() == 0 || r.end > image_.size()) continue;
        out.ranges.push_back(r);
        out.bytes.insert(out.bytes.end(), image_.begin() + r.start, image_.begin() + r.end);
    }
    out.intactBytes = std::min<uint32_t>(intactEnd_, static_cast<uint32_t>(image_.size()));
    return out;
}

}  // namespace ml
