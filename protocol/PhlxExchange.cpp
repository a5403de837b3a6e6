#include "protocol/PhlxExchange.h"

#include <algorithm>
#include <utility>

#include "core/DiagLog.h"
#include "core/TextFormat.h"
#include "link/SentenceBuilder.h"
#include "link/SentenceFields.h"
#include "protocol/PhlxPackageCheck.h"

namespace ml {

namespace {
// Reply sentences are short; a longer run without LF is noise, dropped so
// the line buffer cannot grow without bound. Text resyncs on the next "$".
constexpr size_t kMaxLine = 1024;

uint64_t ParseDecimal(std::string_view text) {
    uint64_t value = 0;
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(text[i] - '0'), 0xFFFFFFFFu);
    }
    return value;
}

void Trace(const char* what) {
    DiagWrite("[PC]<==[DEVICE] : ");
    DiagWrite(what);
    DiagWrite("\r\n");
}
}  // namespace

PhlxExchange::PhlxExchange(PhlxExchangeOptions options) : options_(options), timeBase_(PhlxTimeBase()) {
    Send("810", "READ PRODUCT");
    outgoing_.purgeFirst = true;
}

OutgoingCommand PhlxExchange::TakeOutgoing() { return std::exchange(outgoing_, OutgoingCommand{}); }

void PhlxExchange::Send(std::string_view body, std::string_view logName) {
    outgoing_.bytes += BuildTracedPhlxCommand(body, logName);
}

// Bytes are taken one at a time, switching between text and binary mode
// exactly where a package starts and ends, so a 902 sentence and its package
// (or a package and the next sentence) may share one read.
void PhlxExchange::Feed(std::span<const uint8_t> bytes) {
    size_t offset = 0;
    while (offset < bytes.size() && !Finished()) {
        if (binaryMode_) {
            FeedBinary(bytes, offset);
        } else {
            FeedText(bytes[offset++]);
        }
    }
}

void PhlxExchange::FeedText(uint8_t byte) {
    if (byte == '$') {
        line_.clear();
        inSentence_ = true;
    }
    if (!inSentence_) return;
    line_.push_back(static_cast<char>(byte));
    if (byte == '\n') {
        const std::string line = std::move(line_);
        line_.clear();
        inSentence_ = false;
        HandleLine(line);
    } else if (line_.size() > kMaxLine) {
        line_.clear();
        inSentence_ = false;
    }
}

void PhlxExchange::FeedBinary(std::span<const uint8_t> bytes, size_t& offset) {
    const size_t wanted = packageSize_ - package_.size();
    const size_t n = std::min(wanted, bytes.size() - offset);
    package_.insert(package_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                    bytes.begin() + static_cast<std::ptrdiff_t>(offset + n));
    offset += n;
    if (package_.size() == packageSize_) OnPackageComplete();
}

void PhlxExchange::HandleLine(std::string_view line) {
    if (line.substr(0, 5) != "$PHLX") return;
    lastPackageRejected_ = false;
    std::string dueBody;
    std::string dueName;
    bool packageAnnounced = false;
    bool historyEmpty = false;
    switch (PhlxReplyCode(line)) {
        case 852:
            Trace("RETURN PRODUCT[852]");
            dueBody = "826", dueName = "CONNECT";
            break;
        case 859:
            Trace("RETURN CONNECT[859]");
            dueBody = "701", dueName = "QUERY HISTORY NUM";
            break;
        case 601:
            Trace("RETURN HISTORY NUM[601]");
            historyCount_ = LeadingInt(PhlxField(line, 1));
            history_.clear();
            phase_ = Phase::History;
            // A logger with no logs: asking for zero entries would leave
            // nothing to wait for, so end the session instead.
            historyEmpty = historyCount_ <= 0;
            historyRequested_ = !historyEmpty;
            if (!historyEmpty) dueBody = Format("702,0,%d", historyCount_), dueName = "QUERY HISTORY";
            break;
        case 901:
            Trace("SEND BINARY DATA[901]");
            dataTotal_ = ParseDecimal(PhlxField(line, 1));
            dataReceived_ = 0;
            dataCheckText_ = PhlxField(line, 2).substr(0, 8);
            dueBody = "900,901,3", dueName = "ACK";
            historyEmpty = historyRequested_ && phase_ == Phase::History && dataTotal_ == 0;
            break;
        case 902: {
            Trace("SEND BINARY PACKAGE[902]");
            const uint64_t size = ParseDecimal(PhlxField(line, 2));
            if (size > options_.maxPackageBytes) {
                // Not acknowledged, so the logger does not send the bytes.
                DiagPrintf("package of %llu bytes refused\r\n", static_cast<unsigned long long>(size));
                break;
            }
            packageSize_ = static_cast<uint32_t>(size);
            packageCheckText_ = PhlxField(line, 3);
            package_.clear();
            binaryMode_ = true;
            packageAnnounced = true;
            dueBody = "900,902,3", dueName = "ACK";
            break;
        }
        case 900: Trace("ACK[900]"); break;
        case 860:
            Trace("RETURN DISCONNECT");
            DiagWrite(line);
            DiagWrite("\r\n");
            Finish(PhlxOutcome::Completed);
            return;
        default: Trace("UNKNOWN"); break;
    }
    DiagWrite(line);
    DiagWrite("\r\n");
    if (!dueBody.empty()) Send(dueBody, dueName);
    if (historyEmpty) {
        history_.clear();
        CompleteHistory();
    }
    // An empty package is complete as soon as it is announced.
    if (packageAnnounced && packageSize_ == 0) OnPackageComplete();
}

void PhlxExchange::OnPackageComplete() {
    binaryMode_ = false;
    if (!PhlxPackageAccepted(packageCheckText_, package_)) {
        // No acknowledgement: the logger's answer to that is its own; the
        // silence limit ends the wait if it has none.
        ++rejectedPackages_;
        lastPackageRejected_ = true;
        DiagPrintf("package check failed: announced %s, computed %s\r\n", packageCheckText_.c_str(),
                   PhlxPackageCheckText(package_).c_str());
        return;
    }
    switch (phase_) {
        case Phase::History: ProcessHistoryPackage(); break;
        case Phase::Log: ProcessLogPackage(); break;
        case Phase::Disconnecting: DiagWrite("package after the last log ignored\r\n"); break;
    }
}

void PhlxExchange::ProcessHistoryPackage() {
    const size_t entries = package_.size() / kPhlxHistoryEntrySize;
    for (size_t i = 0; i < entries; ++i) {
        const HistoryEntry entry = ParseHistoryEntry(
            std::span<const uint8_t>(package_).subspan(i * kPhlxHistoryEntrySize, kPhlxHistoryEntrySize));
        DiagPrintf("count : %zu / log_idx : %u / log_num : %u\r\n", i, entry.logIndex, entry.recordCount);
        history_.push_back(entry);
    }
    if (package_.size() % kPhlxHistoryEntrySize != 0) {
        DiagPrintf("%zu trailing history bytes ignored\r\n", package_.size() % kPhlxHistoryEntrySize);
    }
    DiagWrite("\r\n");
    package_.clear();
    Send("900,902,3", "ACK");
    dataReceived_ += packageSize_;
    // At or past the announced total the history is complete; waiting for an
    // exact match would hang on a logger that overshoots.
    if (dataReceived_ < dataTotal_) return;
    CompleteHistory();
}

bool PhlxExchange::IsKnown(const HistoryEntry& e) const {
    return std::any_of(options_.known.begin(), options_.known.end(), [&](const HistoryEntry& k) {
        return k.logIndex == e.logIndex && k.recordCount == e.recordCount;
    });
}

void PhlxExchange::CompleteHistory() {
    if (options_.historyOnly) {
        Disconnect();
        return;
    }
    // The progress total counts every entry of the history that is fetched,
    // not only those of its last package.
    uint64_t total = 0;
    skippedLogs_ = 0;
    skippedRecords_ = 0;
    for (const HistoryEntry& e : history_) {
        if (IsKnown(e)) {
            ++skippedLogs_;
            skippedRecords_ += e.recordCount;
        } else {
            total += e.recordCount;
        }
    }
    if (skippedLogs_ > 0) DiagPrintf("%zu known logs are not fetched again\r\n", skippedLogs_);
    progress_.total = static_cast<uint32_t>(std::min<uint64_t>(total, 0xFFFFFFFFu));
    progress_.position = 0;
    progress_.visible = true;
    historyRequested_ = false;
    historyPosition_ = 0;
    phase_ = Phase::Log;
    recordsOfEntry_ = 0;
    fixes_.clear();
    rawRecords_.clear();
    logsRead_.clear();
    RequestEntry(true);
}

// Entries without records are skipped: the logger would have nothing to send
// for them and the exchange would wait for ever. So are the logs kept from
// earlier downloads.
void PhlxExchange::RequestEntry(bool first) {
    while (historyPosition_ < history_.size() &&
           (history_[historyPosition_].recordCount == 0 || IsKnown(history_[historyPosition_]))) {
        ++historyPosition_;
    }
    if (historyPosition_ >= history_.size()) {
        Disconnect();
        return;
    }
    const HistoryEntry& e = history_[historyPosition_];
    const std::string name = first ? Format("QUERY LOG %zu/%zu [History Record Count : %d]", historyPosition_,
                                            history_.size(), historyCount_)
                                   : Format("QUERY LOG %zu/%zu", historyPosition_, history_.size());
    Send(Format("703,%u,%u", e.logIndex, e.recordCount), name);
}

void PhlxExchange::ProcessLogPackage() {
    const size_t records = package_.size() / kPhlxRecordSize;
    for (size_t i = 0; i < records; ++i) {
        bool moved = false;
        fixes_.push_back(ParsePhlxRecord(
            std::span<const uint8_t>(package_).subspan(i * kPhlxRecordSize, kPhlxRecordSize), timeBase_, &moved));
        if (moved) ++timesMoved_;
    }
    rawRecords_.insert(rawRecords_.end(), package_.begin(),
                       package_.begin() + static_cast<std::ptrdiff_t>(records * kPhlxRecordSize));
    recordsOfEntry_ += records;
    progress_.position += static_cast<uint32_t>(records);
    progress_.total = std::max(progress_.total, progress_.position);
    package_.clear();
    const uint32_t expected = history_[historyPosition_].recordCount;
    DiagPrintf("Log Count : %llu / %u\r\n", static_cast<unsigned long long>(recordsOfEntry_), expected);
    Send("900,902,3", "ACK");
    // Records beyond the entry's count are kept; the entry counts as done.
    if (recordsOfEntry_ < expected) return;
    logsRead_.push_back({history_[historyPosition_], static_cast<uint32_t>(recordsOfEntry_)});
    ++historyPosition_;
    recordsOfEntry_ = 0;
    RequestEntry(false);
}

void PhlxExchange::Disconnect() {
    phase_ = Phase::Disconnecting;
    progress_.visible = false;
    binaryMode_ = false;
    Send("827", "DISCONNECT");
    DiagWrite("\r\n\r\n============================ complete ============================\r\n\r\n");
}

void PhlxExchange::OnSilence() {
    if (Finished()) return;
    // After 827 every log is in; a logger that does not confirm loses nothing.
    // Silence right after a package we refused is the logger waiting for an
    // acknowledgement: the data was damaged, the logger is not gone.
    if (phase_ == Phase::Disconnecting) {
        Finish(PhlxOutcome::Completed);
    } else {
        Finish(lastPackageRejected_ ? PhlxOutcome::PackageDamaged : PhlxOutcome::NoReply);
    }
}

void PhlxExchange::OnReadFailed() {
    if (!Finished()) Finish(PhlxOutcome::ReadFailed);
}

void PhlxExchange::OnWriteFailed() {
    outgoing_ = {};
    Finish(PhlxOutcome::WrongPort);
}

void PhlxExchange::Cancel() {
    if (Finished()) return;
    Send("827", "DISCONNECT");
    Finish(PhlxOutcome::Cancelled);
}

void PhlxExchange::Finish(PhlxOutcome outcome) {
    outcome_ = outcome;
    progress_.visible = false;
}

}  // namespace ml
