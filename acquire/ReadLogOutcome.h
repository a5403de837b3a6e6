#pragma once
// How one run of the read-log flow ended.
#include <string_view>

namespace ml {

enum class ReadLogOutcome {
    MtkCompleted,          // fixes appended, tracks built, OnTracksUpdated called
    PhlxCompleted,         // fixes replaced, tracks appended, OnTracksUpdated called
    NoPortSelected,        // nothing chosen: popup hidden, nothing shown
    OpenFailed,            // "%s Serial open 실패"
    WrongPort,             // a write of zero bytes: "%s 올바른 포트가 아닙니다."
    SerialError,           // the port failed: "%s 시리얼 오류"
    NoModelAnswer,         // answer without "$PHLX852"
    NoAnswer,              // the logger stayed silent past the time limit
    DataDamaged,           // a PHLX package failed its check and the logger waits
    NoData,                // log size 0: "데이터가 없습니다."
    AllocationFailed,      // "메모리 할당 실패"
    NothingReceived,       // "데이터를 받아오지 못했습니다 다시 시도해 주십시오"
    NoFixes,               // the download ended but gave no fix: nothing committed
    DisconnectNotWritten,  // the MTK "827" wrote zero bytes: fixes kept, no tracks
    Cancelled,             // the user stopped it: lists as before the start
};

// A completed download (tracks built and announced).
constexpr bool Succeeded(ReadLogOutcome outcome) {
    return outcome == ReadLogOutcome::MtkCompleted || outcome == ReadLogOutcome::PhlxCompleted;
}

// A short English name for logs and the command-line tool.
std::string_view ToString(ReadLogOutcome outcome);

}  // namespace ml
