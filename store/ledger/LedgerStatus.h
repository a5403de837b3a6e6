#pragma once
// The outcome of a ledger operation: a value, never an exception. The
// message is one line for the user (Korean where it comes from the
// ledger's rules, naming the file where it comes from the engine).
#include <string>
#include <utility>

namespace ml::ledger {

class Status {
public:
    enum class Code {
        Ok,
        Invalid,   // the request itself is wrong: an unknown car, a bad value
        Refused,   // the database is not ours, newer than the program, or damaged
        Conflict,  // another writer got in the way; running the work again may succeed
        Failed,    // the engine failed (disk full, I/O error)
    };

    Status() = default;
    static Status Ok() { return {}; }
    static Status Invalid(std::string message) { return {Code::Invalid, std::move(message)}; }
    static Status Refused(std::string message) { return {Code::Refused, std::move(message)}; }
    static Status Conflict(std::string message) { return {Code::Conflict, std::move(message)}; }
    static Status Failed(std::string message) { return {Code::Failed, std::move(message)}; }

    bool ok() const { return code_ == Code::Ok; }
    Code code() const { return code_; }
    const std::string& message() const { return message_; }

private:
    Status(Code code, std::string message) : code_(code), message_(std::move(message)) {}
    Code code_ = Code::Ok;
    std::string message_;
};

// Returns from the enclosing function when `expr` is not ok.
#define ML_LEDGER_TRY(expr)                       \
    do {                                          \
        ::ml::ledger::Status ml_status_ = (expr); \
        if (!ml_status_.ok()) return ml_status_;  \
    } while (false)

}  // namespace ml::ledger
