#pragma once
// The PHLX download as a state machine over bytes; the caller owns the port
// and the clock. The logger drives the exchange, the program answers each
// reply sentence by its code:
//   810 -> 852, 826 -> 859, 701 -> 601,<count>, "702,0,<count>" ->
//   901,<total>,<text> (ack "900,901,3"), then packages until <total> bytes:
//   902,?,<size>,<check> (ack "900,902,3") + <size> raw bytes (ack again
//   after processing). History packages hold 64-byte entries; then for each
//   entry "703,<log index>,<record count>" fetches 32-byte records the same
//   way. After the last entry "827" -> 860 ends it. Reply checksums are not
//   verified by the logger's design; package check values are.
// Every command and reply is traced on the diagnostic log as
// "[PC]==>[DEVICE] : ..." / "[PC]<==[DEVICE] : ...".
//
// Driver loop: as MtkDownload (TakeOutgoing / Feed / OnSilence /
// OnReadFailed / OnWriteFailed / Cancel / Finished). Whatever the outcome,
// fixes() holds every record received since the history was complete.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/FixRecord.h"
#include "protocol/OutgoingCommand.h"
#include "protocol/PhlxRecord.h"

namespace ml {

struct PhlxExchangeOptions {
    // Silence after which the logger counts as not answering.
    int replyTimeoutMs = 5000;
    // Larger announced packages are refused (the 902 is ignored).
    uint32_t maxPackageBytes = 16u * 1024u * 1024u;
    // Logs kept from earlier downloads: a history entry with the same index
    // and record count is not fetched again (one that grew is, whole).
    std::vector<HistoryEntry> known;
    // Fetch the history only (to see what an erase would delete), then end.
    bool historyOnly = false;
};

// A log fetched whole: its history entry and the records that came for it
// (more than announced when the logger overran), in rawRecords() order.
struct PhlxLogRead {
    HistoryEntry entry;
    uint32_t records = 0;
};

enum class PhlxOutcome {
    Running,
    Completed,       // 860 received (or silence after 827): all logs fetched
    NoReply,         // the logger went silent before the end; fixes() kept
    PackageDamaged,  // silence after a package that failed its check; fixes() kept
    ReadFailed,      // the port failed (unplugged); fixes() kept
    WrongPort,       // a write reported 0 bytes written
    Cancelled,       // 827 queued; fixes() kept
};

// For the progress dialog: set-total when `total` changes, set-position
// with `position`; shown while `visible`.
struct PhlxProgress {
    bool visible = false;
    uint32_t total = 0;     // records announced by the whole history
    uint32_t position = 0;  // records received so far
};

class PhlxExchange {
public:
    explicit PhlxExchange(PhlxExchangeOptions options = {});

    OutgoingCommand TakeOutgoing();
    void Feed(std::span<const uint8_t> bytes);
    void OnSilence();
    void OnReadFailed();
    void OnWriteFailed();
    void Cancel();

    int SilenceLimitMs() const { return options_.replyTimeoutMs; }
    bool Finished() const { return outcome_ != PhlxOutcome::Running; }
    PhlxOutcome outcome() const { return outcome_; }
    const PhlxProgress& progress() const { return progress_; }

    const std::vector<HistoryEntry>& history() const { return history_; }
    // The logs fetched whole, in the order of rawRecords(); records after
    // them belong to a log cut short.
    const std::vector<PhlxLogRead>& logsRead() const { return logsRead_; }
    // History entries left out because they were known, and their records.
    size_t skippedLogs() const { return skippedLogs_; }
    uint64_t skippedRecords() const { return skippedRecords_; }
    // Fixes whose time was moved forward 1024 weeks (GPS week rollover).
    uint64_t timesMoved() const { return timesMoved_; }
    const FixList& fixes() const { return fixes_; }
    FixList TakeFixes() { return std::move(fixes_); }
    // The log records as received (32 bytes each, whole records only) and
    // the time base they were read with: what a ledger keeps of a download.
    const std::vector<uint8_t>& rawRecords() const { return rawRecords_; }
    int32_t timeBase() const { return timeBase_; }
    // Packages dropped because their check value did not match.
    uint64_t rejectedPackages() const { return rejectedPackages_; }

private:
    enum class Phase { History, Log, Disconnecting };

    void FeedText(uint8_t byte);
    void FeedBinary(std::span<const uint8_t> bytes, size_t& offset);
    void HandleLine(std::string_view line);
    void OnPackageComplete();
    void ProcessHistoryPackage();
    void ProcessLogPackage();
    void CompleteHistory();
    void RequestEntry(bool first);
    void Disconnect();
    void Send(std::string_view body, std::string_view logName);
    void Finish(PhlxOutcome outcome);

    PhlxExchangeOptions options_;
    int32_t timeBase_ = 0;
    bool IsKnown(const HistoryEntry& e) const;

    PhlxOutcome outcome_ = PhlxOutcome::Running;
    PhlxProgress progress_;
    OutgoingCommand outgoing_;

    std::string line_;
    bool inSentence_ = false;
    bool binaryMode_ = false;

    uint64_t dataTotal_ = 0;
    uint64_t dataReceived_ = 0;
    std::string dataCheckText_;
    uint32_t packageSize_ = 0;
    std::string packageCheckText_;
    std::vector<uint8_t> package_;
    uint64_t rejectedPackages_ = 0;
    bool lastPackageRejected_ = false;  // nothing has arrived since a rejected package

    Phase phase_ = Phase::History;
    bool historyRequested_ = false;  // a 702 is out, its 901 is the history's
    int32_t historyCount_ = 0;
    std::vector<HistoryEntry> history_;
    size_t historyPosition_ = 0;
    uint64_t recordsOfEntry_ = 0;
    FixList fixes_;
    std::vector<uint8_t> rawRecords_;
    std::vector<PhlxLogRead> logsRead_;
    size_t skippedLogs_ = 0;
    uint64_t skippedRecords_ = 0;
    uint64_t timesMoved_ = 0;
};

}  // namespace ml
