#pragma once
// The device side of a TRL4200Mini logger speaking the PHLX protocol,
// serving a logbook of logs.
//
// Device facts this model reproduces (the logger drives, the program
// answers):
// - Commands are "$PHLX" + code[,fields] + "*" + checksum + CR LF; one with a
//   wrong checksum is ignored.
// - 810 (product query) -> "$PHLX852,TRL4200Mini,..."; it also abandons any
//   transfer in progress, as a logger does when a new session starts.
//   826 (connect) -> 859. 701 -> "601,N" with N logs in the history.
// - "702,0,N" asks for the history: the logger announces the whole transfer
//   with "901,TOTAL,CHECK" and waits for "900,901,3". Then, per package:
//   "902,SEQ,SIZE,CHECK", wait for "900,902,3", the SIZE raw bytes, wait for
//   "900,902,3" again. Raw bytes never go out before the program's
//   acknowledgement of their 902 sentence. CHECK is PhlxPackageCheckText of
//   the package (of the whole transfer in 901).
// - "703,INDEX,COUNT" asks for the records of the log with that index, in
//   the same way (901 first, then packages). At most COUNT records are sent
//   (unless the overrun fault adds more).
// - 827 (disconnect) -> 860. 839 erases every log and is acknowledged with
//   "900,839,3".
// - Packages hold whole history entries (64 bytes) or records (32 bytes);
//   the chosen package size is rounded down to a whole number of them.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tools/loggersim/PhlxLogbook.h"
#include "tools/loggersim/SentenceAssembler.h"
#include "tools/loggersim/SimulatedLogger.h"

namespace ml::sim {

struct PhlxLoggerOptions {
    size_t packageSize = 1024;          // bytes per package before rounding
    unsigned badChecksumEvery = 0;      // every Nth text sentence gets a wrong checksum; 0 off
    std::set<size_t> dropPackages;      // packages announced and acknowledged but never sent
    std::set<size_t> badPackageChecks;  // packages announced with a wrong check text
    unsigned extraRecords = 0;          // records sent beyond the count a 703 asks for
    bool garbageBetween = false;        // line noise before every text sentence
};

class PhlxLoggerModel : public SimulatedLogger {
public:
    PhlxLoggerModel(PhlxLogbook logbook, PhlxLoggerOptions options);

    std::string Receive(std::string_view bytes) override;

    const PhlxLogbook& logbook() const { return logbook_; }

private:
    enum class Waiting { Command, DataAck, AnnounceAck, PackageAck };

    std::string Answer(const std::string& line);
    void AnswerAck(const std::vector<std::string>& fields, std::string& out);
    void SendHistory(const std::vector<std::string>& fields, std::string& out);
    void SendLog(const std::vector<std::string>& fields, std::string& out);
    void StartTransfer(std::vector<uint8_t> data, size_t unit, std::string& out);
    void AnnounceNextPackage(std::string& out);
    void SendPackage(std::string& out);
    void ResetTransfer();
    void EmitText(std::string& out, const std::string& body);

    PhlxLogbook logbook_;
    PhlxLoggerOptions options_;
    SentenceAssembler assembler_;
    Waiting waiting_ = Waiting::Command;
    std::vector<uint8_t> transfer_;  // every byte of the current transfer
    size_t unit_ = 1;                // entry or record size of the transfer
    size_t offset_ = 0;              // start of the current package in transfer_
    size_t packageLength_ = 0;
    size_t packageInTransfer_ = 0;  // sequence number sent in 902
    size_t packageNumber_ = 0;      // packages since the last 810, for the faults
    unsigned textSentences_ = 0;
    unsigned noiseIndex_ = 0;
};

}  // namespace ml::sim
