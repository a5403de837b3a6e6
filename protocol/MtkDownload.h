#pragma once
// The PMTK182 download as a state machine over bytes; the caller owns the
// port and the clock. Exchange: twelve status queries "$PMTK182,2,N" each
// answered by "$PMTK182,3,N,value" and acknowledged by
// "$PMTK001,182,2,3*25" (item 8: bytes in use, hex; item 12: record count,
// decimal); then reads "$PMTK182,7,<hex addr>,<hex count>" answered by
// "$PMTK182,8,<addr>,<hex bytes>" data sentences, placed in arrival order
// from the address asked for (the sentences' own addresses only reveal
// gaps); then "$PHLX827" ends it.
//
// With the memory known from an earlier download (options.known) the reads
// follow PlanMtkRead: the open sector's header and the chunk that ends the
// known image first, then, when that chunk reads the same, only the new
// bytes; when it does not, everything. logImage() is the whole memory in
// every case.
//
// Driver loop (see docs/architecture.md):
//   MtkDownload d(options);
//   while (true) {
//       if (auto out = d.TakeOutgoing(); !out.empty()) { purge if asked; write; }
//       if (d.Finished()) break;
//       n = read(...);
//       if (n > 0) d.Feed(bytes);
//       else if (n < 0) d.OnReadFailed();
//       else if (no byte and no write for d.SilenceLimitMs()) d.OnSilence();
//       if (user cancelled) d.Cancel();
//   }
//   d.outcome(), d.logImage()
// A write that reports 0 bytes written: d.OnWriteFailed(). Always send what
// TakeOutgoing() holds before testing Finished(): the machine may finish with
// a last command queued (the read command before NoData, "827").
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/MtkSentenceReceiver.h"
#include "protocol/MtkReadPlan.h"
#include "protocol/OutgoingCommand.h"

namespace ml {

struct MtkDownloadOptions {
    // Silence after a command before the logger counts as not answering.
    int replyTimeoutMs = 5000;
    // Silence after the last data byte that ends the data phase.
    int dataGapMs = 200;
    // Larger announced logs are refused as an allocation failure; MTK
    // loggers carry at most a few MiB.
    uint32_t maxLogBytes = 64u * 1024u * 1024u;
    // The logger's memory from address 0 as an earlier download left it
    // known; empty: read everything.
    std::vector<uint8_t> known;
    bool forceFull = false;
    // Before an erase: ask the status, compare the chunk that ends where
    // both the logger's memory and `known` end, and stop (no log is read).
    bool eraseCheck = false;
};

enum class MtkStage {
    StatusQueries,  // progress().statusItem is the item being asked
    Data,           // receiving the log image
    Done,
};

enum class MtkOutcome {
    Running,
    Completed,         // logImage() holds the received bytes; 827 was queued
    NoData,            // byte count 0: an empty log (a warning, not an error); close port
    AllocationFailed,  // the announced log is too large to hold; close port
    NothingReceived,   // not a single data byte arrived; close port
    NoReply,           // a status query got no acknowledgement in time
    ReadFailed,        // the port failed while reading
    WrongPort,         // a write reported 0 bytes written
    Cancelled,
};

struct MtkProgress {
    MtkStage stage = MtkStage::StatusQueries;
    int statusItem = 1;       // 1..12 while querying
    int32_t recordCount = 0;  // popup line 2 ("%d")
    uint32_t byteCount = 0;   // memory in use (status item 8)
    uint32_t toRead = 0;      // bytes this download reads: popup line 3 "(received/toRead)"
    uint32_t received = 0;    // bytes received so far
    uint32_t flashBytes = 0;  // the memory's size from the flash id (item 9); 0 unknown
    int recordMethod = 0;     // item 6: 1 overwrite when full, 2 stop; 0 unknown
};

// What a download read, for the ledger: the pieces in the order read, their
// bytes one after the other, and how far the image from address 0 is known
// to be right (a lost data sentence shifts everything after it).
struct MtkReceived {
    bool incremental = false;  // placed into the known image, not read from address 0
    std::vector<ByteRange> ranges;
    std::vector<uint8_t> bytes;
    uint32_t intactBytes = 0;
};

class MtkDownload {
public:
    explicit MtkDownload(MtkDownloadOptions options = {});

    OutgoingCommand TakeOutgoing();
    void Feed(std::span<const uint8_t> bytes);
    void OnSilence();
    void OnReadFailed();
    void OnWriteFailed();
    void Cancel();

    int SilenceLimitMs() const;
    bool Finished() const { return outcome_ != MtkOutcome::Running; }
    MtkOutcome outcome() const { return outcome_; }
    const MtkProgress& progress() const { return progress_; }

    // The memory image: what was known, with what arrived placed into it;
    // after a failure or cancel it ends where the received bytes end.
    std::span<const uint8_t> logImage() const;
    // Frees the image (after decoding).
    void ReleaseLogImage();

    // The plan in force (after a mismatch: the full read that replaced it);
    // null until the status is known.
    const MtkReadPlan* plan() const { return planned_ ? &plan_ : nullptr; }
    // What was read and can be trusted; nothing from an incremental read
    // whose compared chunk had not yet matched.
    MtkReceived Received() const;
    // eraseCheck: whether the logger's memory ends where `known` does, with
    // the same bytes before it (true for an empty logger).
    bool eraseCheckMatched() const { return eraseCheckMatched_; }

    // Checked sentences dropped for a wrong checksum during the data phase.
    uint64_t crcErrors() const { return receiver_.crcErrors(); }

    // Data sentences that never arrived, judged by the jumps in their
    // addresses and the bytes still missing at the end (a sentence dropped
    // for its checksum counts here too).
    uint64_t missingSentences() const { return missingSentences_; }

    // The data-sentence handler, public for the fuzz target and tests.
    void OnDataSentence(std::string_view sentence);

private:
    void QueueStatusQuery();
    void OnStatusBytes(std::span<const uint8_t> bytes);
    void ParseStatusText();
    void StartDataPhase();
    void StartEraseCheck();
    bool Allocate(size_t bytes);
    void QueueRead(ByteRange range);
    void OnReadDone();
    bool ComparedChunkMatches() const;
    void FinishData();
    void Finish(MtkOutcome outcome);

    MtkDownloadOptions options_;
    MtkOutcome outcome_ = MtkOutcome::Running;
    MtkProgress progress_;
    OutgoingCommand outgoing_;
    std::string statusText_;
    std::vector<uint8_t> image_;
    MtkReadPlan plan_;
    bool planned_ = false;
    bool matched_ = false;  // the compared chunk read the same
    bool eraseCheckMatched_ = false;
    std::vector<ByteRange> pending_;  // reads still to send, in order
    std::vector<ByteRange> done_;     // reads finished or cut short, as far as they got
    ByteRange reading_;               // the read in progress
    uint32_t readingGot_ = 0;         // its bytes so far
    bool readGap_ = false;            // a data sentence of it went missing
    uint32_t imageEnd_ = 0;           // the image holds data up to here
    uint32_t intactEnd_ = 0;          // and is right up to here
    bool gap_ = false;                // a data sentence went missing
    bool dataStarted_ = false;
    uint64_t nextAddress_ = 0;  // where the next data sentence should start
    uint64_t chunkBytes_ = 0;   // bytes of the last data sentence
    uint64_t missingSentences_ = 0;
    MtkSentenceReceiver receiver_;
};

}  // namespace ml
