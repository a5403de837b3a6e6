#pragma once
// The acquisition flows' LoggerMemoryBook kept in the year ledger, for one
// car: what earlier downloads of a logger left known, read from the ledger,
// and an erase noted in it. Also how a download's result becomes the
// ledger's import request. Runs on whatever thread owns the ledger.
#include <string>

#include "acquire/LoggerMemoryBook.h"
#include "store/ledger/Ledger.h"

namespace ml::ledger {

class LedgerMemoryBook : public LoggerMemoryBook {
public:
    LedgerMemoryBook(Ledger& ledger, std::string regNo) : ledger_(ledger), regNo_(std::move(regNo)) {}

    // A ledger that cannot be read knows nothing (the download reads
    // everything, the erase is refused); the reason is in lastError().
    KnownMemory Known(LoggerModel kind, const std::string& loggerId) override;
    void Erased(LoggerModel kind, const std::string& loggerId) override;
    const std::string& lastError() const { return error_; }

private:
    Ledger& ledger_;
    std::string regNo_;
    std::string error_;
};

// The import of what a download read: raw bytes as received, the detail
// that places them, the logger, and whether it was cut short.
ImportRequest ImportRequestOf(const MtkDownloadResult& result, const std::string& source);
ImportRequest ImportRequestOf(const PhlxDownloadResult& result, const std::string& source);

}  // namespace ml::ledger
