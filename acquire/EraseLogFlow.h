#pragma once
// The erase-log flow ("로그삭제"): asks the logger on the open port for its
// model, then what it holds (MTK: the memory in use and the chunk where it
// ends; PHLX: the history), and compares that with what the book says is
// stored. Only when nothing would be lost does it ask the question, which
// names how many fixes and which dates the logger holds, and send that
// protocol's erase command ("$PMTK182,6,1*3E" or "$PHLX839*3E", each with
// CR LF). When something would be lost it says how much and refuses, unless
// forced (the command line's --force), in which case the question carries
// the same warning. Changes nothing in the session's lists. Runs on the
// calling thread.
#include <atomic>
#include <string>

#include "acquire/AcquireUi.h"
#include "acquire/LoggerMemoryBook.h"
#include "acquire/Session.h"

namespace ml {

enum class EraseOutcome {
    Declined,     // the user answered No: no erase was sent
    NoPort,       // no open port: refused with a message, nothing asked or sent
    QueryFailed,  // the model query or the look at the logger's contents failed and said why
    Refused,      // the logger holds data the ledger lacks: said how much, nothing asked or erased
    MtkErased,    // "$PMTK182,6,1*3E" written
    PhlxErased,   // "$PHLX839*3E" written
    SendFailed,   // the erase was not (fully) written: "메시지 전송 실패!"
};

class EraseLogFlow {
public:
    EraseLogFlow(Session& session, AcquireUi& ui) : session_(session), ui_(ui) {}

    // What is stored of the loggers (none: everything would be lost).
    void SetMemoryBook(LoggerMemoryBook* book) { book_ = book; }
    // Erase even when data would be lost, after the same warning.
    void SetForce(bool force) { force_ = force; }

    // The erase goes to the logger of the last download, on the port that
    // download left open; the flow opens no port itself. With none open it
    // refuses with a message instead of guessing a port.
    EraseOutcome EraseLogCommand();

    void RequestCancel() { cancel_.store(true); }

private:
    // What the logger holds and what of it the book lacks.
    struct Contents {
        std::string held;  // "로거에 위치 기록 N개가 있습니다 (날짜 ~ 날짜)."
        std::string lost;  // empty when everything is stored
    };
    bool LookAtMtk(const std::string& portName, const KnownMemory& known, Contents& contents);
    bool LookAtPhlx(const std::string& portName, const KnownMemory& known, Contents& contents);
    bool Send(const std::string& sentence);

    Session& session_;
    AcquireUi& ui_;
    LoggerMemoryBook* book_ = nullptr;
    bool force_ = false;
    std::atomic<bool> cancel_{false};
};

}  // namespace ml
