#pragma once
// Limits of the acquisition flows; the defaults suit a USB adapter at
// 38400 baud, slow links raise replyTimeoutMs.
#include <chrono>

namespace ml {

struct AcquireOptions {
    // Silence after a command before the logger counts as not answering.
    int replyTimeoutMs = 5000;
    // Silence after the last log byte that ends the MTK data phase.
    int dataGapMs = 200;
    // Longest wait for the answer to the end-of-download notice "827"; the
    // answer is not needed (MTK loggers do not know the command), so the
    // wait is short.
    int disconnectWaitMs = 1000;
    // After a cancel or a time-out the logger may still be sending; the line
    // counts as clean after this much silence, and the wait for it is
    // bounded (the next download waits again if it was not reached).
    int drainQuietMs = 300;
    int drainLimitMs = 3000;
    // Popup and progress updates at most this often (the final value is
    // always shown).
    std::chrono::milliseconds progressInterval{250};
};

}  // namespace ml
