#pragma once
// What the ledger's SQL needs from an engine's connection: statements with
// numbered parameters (?1, ?2, ...; an engine whose driver numbers them
// otherwise rewrites them), stepped row by row, each failure a Status
// naming the database. SqlLedgerTx writes every storage primitive once on
// top of this; the engines only connect, run transactions and step.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/ledger/LedgerStatus.h"

namespace ml::ledger {

// A prepared statement. Bind indexes start at 1, column indexes at 0.
class SqlStatement {
public:
    virtual ~SqlStatement() = default;
    // Ready to run again with new bindings.
    virtual void Reset() = 0;
    virtual void Bind(int index, int64_t value) = 0;
    virtual void Bind(int index, double value) = 0;
    virtual void Bind(int index, std::string_view text) = 0;
    virtual void Bind(int index, std::span<const uint8_t> blob) = 0;

    // True with a row, false at the end; `status` holds any failure.
    virtual bool Step(Status& status) = 0;
    // Runs a statement to its end.
    Status Run() {
        Status status;
        while (Step(status)) {
        }
        return status;
    }

    virtual int64_t Int(int column) const = 0;
    virtual double Real(int column) const = 0;
    virtual std::string Text(int column) const = 0;
    virtual std::vector<uint8_t> Blob(int column) const = 0;
};

class SqlSession {
public:
    virtual ~SqlSession() = default;
    // The statement `sql`, prepared on first use under `key` and kept for
    // the connection's life, ready for new bindings.
    virtual Status Use(int key, const char* sql, SqlStatement*& statement) = 0;
    // Rows inserted, changed or deleted by the statement run last.
    virtual int64_t Changes() const = 0;
    // Where the database lives, as messages name it.
    virtual const std::string& location() const = 0;
};

}  // namespace ml::ledger
