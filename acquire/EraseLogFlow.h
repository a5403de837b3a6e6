#pragma once
// The erase-log flow ("로그삭제"): after the user confirms, asks the logger
// on the open port for its model and sends that protocol's erase command
// ("$PMTK182,6,1*3E" or "$PHLX839*3E", each with CR LF). Changes nothing in
// the session's lists. Runs on the calling thread.
#include <atomic>
#include <string>

#include "acquire/AcquireUi.h"
#include "acquire/Session.h"

namespace ml {

enum class EraseOutcome {
    Declined,     // the user answered No: nothing was sent
    NoPort,       // no open port: refused with a message, nothing asked or sent
    QueryFailed,  // the model query failed and said why; no erase sent
    MtkErased,    // "$PMTK182,6,1*3E" written
    PhlxErased,   // "$PHLX839*3E" written
    SendFailed,   // the erase was not (fully) written: "메시지 전송 실패!"
};

class EraseLogFlow {
public:
    EraseLogFlow(Session& session, AcquireUi& ui) : session_(session), ui_(ui) {}

    // The erase goes to the logger of the last download, on the port that
    // download left open; the flow opens no port itself. With none open it
    // refuses with a message instead of guessing a port.
    EraseOutcome EraseLogCommand();

    void RequestCancel() { cancel_.store(true); }

private:
    bool Send(const std::string& sentence);

    Session& session_;
    AcquireUi& ui_;
    std::atomic<bool> cancel_{false};
};

}  // namespace ml
