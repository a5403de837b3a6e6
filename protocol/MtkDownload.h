#pragma once
// The PMTK182 download as a state machine over bytes; the caller owns the
// port and the clock. Exchange: twelve status queries "$PMTK182,2,N" each
// answered by "$PMTK182,3,N,value" and acknowledged by
// "$PMTK001,182,2,3*25" (item 8: bytes in use, hex; item 12: record count,
// decimal); then one read "$PMTK182,7,0,<hex count>" answered by
// "$PMTK182,8,<addr>,<hex bytes>" data sentences, placed in the image in
// arrival order (the address is not used); then "$PHLX827" ends it.
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
//   d.outcome(), d.logImage(), d.Message(portName)
// A write that reports 0 bytes written: d.OnWriteFailed(). Always send what
// TakeOutgoing() holds before testing Finished(): the machine may finish with
// a last command queued (the read command before NoData, "827").
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/MtkSentenceReceiver.h"
#include "protocol/OutgoingCommand.h"
#include "protocol/UserMessage.h"

namespace ml {

struct MtkDownloadOptions {
    // Silence after a command before the logger counts as not answering.
    int replyTimeoutMs = 5000;
    // Silence after the last data byte that ends the data phase.
    int dataGapMs = 200;
    // Larger announced logs are refused as an allocation failure; MTK
    // loggers carry at most a few MiB.
    uint32_t maxLogBytes = 64u * 1024u * 1024u;
};

enum class MtkStage {
    StatusQueries,  // progress().statusItem is the item being asked
    Data,           // receiving the log image
    Done,
};

enum class MtkOutcome {
    Running,
    Completed,        // logImage() holds the received bytes; 827 was queued
    NoData,           // byte count 0: "데이터가 없습니다." (경고), close port
    AllocationFailed, // "메모리 할당 실패", close port
    NothingReceived,  // no data byte: "데이터를 받아오지 못했습니다 ...", close port
    NoReply,          // a status query got no acknowledgement in time
    ReadFailed,       // the port failed while reading
    WrongPort,        // a write reported 0 bytes written
    Cancelled,
};

struct MtkProgress {
    MtkStage stage = MtkStage::StatusQueries;
    int statusItem = 1;        // 1..12 while querying
    int32_t recordCount = 0;   // popup line 2 ("%d")
    uint32_t byteCount = 0;    // popup line 3 "(%d/%d)" with received
    uint32_t received = 0;     // bytes placed in the image so far
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

    // The received bytes (the first progress().received bytes of the image),
    // whatever the outcome: after a failure or cancel it holds what arrived.
    std::span<const uint8_t> logImage() const;
    // Frees the image (after decoding).
    void ReleaseLogImage();

    // Checked sentences dropped for a wrong checksum during the data phase.
    uint64_t crcErrors() const { return receiver_.crcErrors(); }

    // The message to show for the outcome; empty for Completed/Cancelled.
    UserMessage Message(std::string_view portName) const;

    // Data sentences that never arrived, judged by the jumps in their
    // addresses and the bytes still missing at the end (a sentence dropped
    // for its checksum counts here too).
    uint64_t missingSentences() const { return missingSentences_; }
    // A warning saying what a finished download lost (bytes announced and
    // received, sentences missing); empty when the log arrived whole. Ask
    // before ReleaseLogImage().
    UserMessage LossMessage() const;

    // The data-sentence handler, public for the fuzz target and tests.
    void OnDataSentence(std::string_view sentence);

private:
    void QueueStatusQuery();
    void OnStatusBytes(std::span<const uint8_t> bytes);
    void ParseStatusText();
    void StartDataPhase();
    void FinishData();
    void Finish(MtkOutcome outcome);

    MtkDownloadOptions options_;
    MtkOutcome outcome_ = MtkOutcome::Running;
    MtkProgress progress_;
    OutgoingCommand outgoing_;
    std::string statusText_;
    std::vector<uint8_t> image_;
    bool dataStarted_ = false;
    uint64_t nextAddress_ = 0;  // where the next data sentence should start
    uint64_t chunkBytes_ = 0;   // bytes of the last data sentence
    uint64_t missingSentences_ = 0;
    MtkSentenceReceiver receiver_;
};

}  // namespace ml
