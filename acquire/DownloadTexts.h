#pragma once
// What the downloads tell the user, made from what the protocol machines
// report: their outcomes, byte and record counts and the read plan. The
// machines themselves hold no words.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/MtkDownload.h"
#include "protocol/PhlxExchange.h"

namespace ml {

// A message box: text and caption (texts::kErrorCaption or
// kWarningCaption). Empty text means nothing to show.
struct UserMessage {
    std::string text;
    std::string caption;
    bool empty() const { return text.empty(); }
};

namespace texts {

// The message for how a download ended, naming the port; empty for
// Completed and Cancelled.
UserMessage OutcomeMessage(MtkOutcome outcome, std::string_view portName);
UserMessage OutcomeMessage(PhlxOutcome outcome, std::string_view portName);

// A warning saying what a finished MTK download lost: bytes announced and
// received, data sentences missing and, of those, dropped for their
// checksum. Empty when the log arrived whole.
UserMessage MtkLossMessage(uint32_t toRead, uint32_t received, uint64_t missingSentences, uint64_t crcErrors);
// A warning naming the packages a PHLX exchange dropped for their check
// value; empty for none.
UserMessage PhlxLossMessage(uint64_t rejectedPackages);

// The popup and command-line line saying what is being read:
// "새 데이터만 읽는 중: 12,288 / 2,097,152 bytes" or why everything is read.
std::string ReadPlanText(const MtkReadPlan& plan);
// "새 로그만 읽는 중: 로그 2 / 3개, 기록 7 / 10개" once some of the history's
// logs are left out as known; empty otherwise.
std::string PhlxPlanText(size_t logs, uint64_t records, size_t skippedLogs, uint64_t skippedRecords);

// How full the logger's memory is: "로거 메모리: 1,887,437 / 2,097,152 bytes
// (90.0%)"; without the flash size only the bytes in use.
std::string MemoryStateText(uint32_t usedBytes, uint32_t flashBytes);
// "로거 메모리: 로그 3개, 기록 120개": a PHLX logger's history.
std::string PhlxMemoryStateText(size_t logs, uint64_t records);
// Above 90 % a warning that the logger will soon stop (record method 2) or
// overwrite its oldest data (1); empty below or when the size is unknown.
std::string MemoryWarningText(uint32_t usedBytes, uint32_t flashBytes, int recordMethod);

}  // namespace texts
}  // namespace ml
