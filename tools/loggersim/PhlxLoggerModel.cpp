#include "tools/loggersim/PhlxLoggerModel.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "protocol/PhlxPackageCheck.h"
#include "tools/loggersim/PhlxPackageEncoder.h"
#include "tools/loggersim/SimSentence.h"

namespace ml::sim {

namespace {

bool ParseUnsigned(const std::string& text, uint32_t& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    return error == std::errc() && end == text.data() + text.size();
}

// A check text that the program must reject: never the computed value and
// never "FFFFFFFF", which means "not checked".
std::string WrongCheckText(uint32_t value) {
    uint32_t wrong = value + 1;
    if (wrong == 0xFFFFFFFFu) wrong = 0;
    char text[16];
    std::snprintf(text, sizeof text, "%08X", wrong);
    return text;
}

}  // namespace

PhlxLoggerModel::PhlxLoggerModel(PhlxLogbook logbook, PhlxLoggerOptions options)
    : logbook_(std::move(logbook)), options_(std::move(options)) {}

std::string PhlxLoggerModel::Receive(std::string_view bytes) {
    std::string out;
    for (const std::string& line : assembler_.Feed(bytes)) out += Answer(line);
    return out;
}

void PhlxLoggerModel::EmitText(std::string& out, const std::string& body) {
    if (options_.garbageBetween) out += NoiseBytes(noiseIndex_++);
    ++textSentences_;
    const bool corrupt = options_.badChecksumEvery != 0 && textSentences_ % options_.badChecksumEvery == 0;
    if (corrupt) Trace("phlx: " + body + " sent with a bad checksum");
    out += FrameSentence(body, corrupt);
}

void PhlxLoggerModel::ResetTransfer() {
    waiting_ = Waiting::Command;
    transfer_.clear();
    offset_ = 0;
    packageLength_ = 0;
    packageInTransfer_ = 0;
}

std::string PhlxLoggerModel::Answer(const std::string& line) {
    const ReceivedSentence sentence = CheckReceivedSentence(line);
    if (!sentence.error.empty()) {
        Trace("phlx: ignored " + Printable(line) + ": " + sentence.error);
        return {};
    }
    const std::vector<std::string> fields = SplitFields(sentence.body);
    std::string out;
    const std::string& code = fields[0];
    if (code == "PHLX810") {
        Trace("phlx: product query");
        ResetTransfer();
        packageNumber_ = 0;
        EmitText(out, "PHLX852,TRL4200Mini,V2.10");
    } else if (code == "PHLX826") {
        EmitText(out, "PHLX859");
    } else if (code == "PHLX701") {
        Trace("phlx: history holds " + std::to_string(logbook_.size()) + " logs");
        EmitText(out, "PHLX601," + std::to_string(logbook_.size()));
    } else if (code == "PHLX702") {
        SendHistory(fields, out);
    } else if (code == "PHLX703") {
        SendLog(fields, out);
    } else if (code == "PHLX900") {
        AnswerAck(fields, out);
    } else if (code == "PHLX827") {
        Trace("phlx: disconnect");
        ResetTransfer();
        EmitText(out, "PHLX860");
    } else if (code == "PHLX839") {
        Trace("phlx: log erased (" + std::to_string(logbook_.size()) + " logs)");
        logbook_.clear();
        ResetTransfer();
        EmitText(out, "PHLX900,839,3");
    } else {
        Trace("phlx: ignored " + Printable(line));
    }
    return out;
}

void PhlxLoggerModel::SendHistory(const std::vector<std::string>& fields, std::string& out) {
    uint32_t start = 0;
    uint32_t count = static_cast<uint32_t>(logbook_.size());
    if (fields.size() >= 3 && ParseUnsigned(fields[1], start) && ParseUnsigned(fields[2], count)) {
        start = std::min<uint32_t>(start, static_cast<uint32_t>(logbook_.size()));
        count = std::min<uint32_t>(count, static_cast<uint32_t>(logbook_.size()) - start);
    } else {
        Trace("phlx: history request without a valid range, sending all of it");
        start = 0;
    }
    std::vector<uint8_t> data;
    for (uint32_t i = start; i < start + count; ++i) AppendHistoryEntry(logbook_[i], data);
    Trace("phlx: history of " + std::to_string(count) + " entries");
    StartTransfer(std::move(data), kHistoryEntryBytes, out);
}

void PhlxLoggerModel::SendLog(const std::vector<std::string>& fields, std::string& out) {
    uint32_t index = 0;
    uint32_t count = 0;
    if (fields.size() < 3 || !ParseUnsigned(fields[1], index) || !ParseUnsigned(fields[2], count)) {
        Trace("phlx: malformed log request ignored");
        return;
    }
    const auto entry =
        std::find_if(logbook_.begin(), logbook_.end(), [index](const PhlxLogEntry& e) { return e.index == index; });
    if (entry == logbook_.end()) {
        Trace("phlx: no log with index " + std::to_string(index) + ", request ignored");
        return;
    }
    const size_t sent = std::min<size_t>(count, entry->records.size());
    std::vector<uint8_t> data;
    data.reserve((sent + options_.extraRecords) * kLogRecordBytes);
    for (size_t i = 0; i < sent; ++i) AppendLogRecord(entry->records[i], data);
    if (sent > 0 && options_.extraRecords > 0) {
        // An entry that overruns its count: the last record goes on, a fix
        // every five seconds, as if the log had grown since the history.
        PhlxLogRecord extra = entry->records[sent - 1];
        for (unsigned i = 0; i < options_.extraRecords; ++i) {
            extra.time += 5;
            AppendLogRecord(extra, data);
        }
        Trace("phlx: " + std::to_string(options_.extraRecords) + " records more than asked for");
    }
    Trace("phlx: log " + std::to_string(index) + ", " + std::to_string(sent) + " records");
    StartTransfer(std::move(data), kLogRecordBytes, out);
}

void PhlxLoggerModel::StartTransfer(std::vector<uint8_t> data, size_t unit, std::string& out) {
    ResetTransfer();
    transfer_ = std::move(data);
    unit_ = unit;
    waiting_ = Waiting::DataAck;
    EmitText(out, "PHLX901," + std::to_string(transfer_.size()) + "," + PhlxPackageCheckText(transfer_));
}

void PhlxLoggerModel::AnswerAck(const std::vector<std::string>& fields, std::string& out) {
    const std::string acked = fields.size() > 1 ? fields[1] : std::string();
    if (acked == "901" && waiting_ == Waiting::DataAck) {
        if (transfer_.empty()) {
            Trace("phlx: nothing to send");
            ResetTransfer();
        } else {
            AnnounceNextPackage(out);
        }
    } else if (acked == "902" && waiting_ == Waiting::AnnounceAck) {
        SendPackage(out);
    } else if (acked == "902" && waiting_ == Waiting::PackageAck) {
        offset_ += packageLength_;
        ++packageInTransfer_;
        if (offset_ < transfer_.size()) {
            AnnounceNextPackage(out);
        } else {
            Trace("phlx: transfer complete");
            ResetTransfer();
        }
    } else {
        Trace("phlx: unexpected acknowledgement of " + acked + " ignored");
    }
}

void PhlxLoggerModel::AnnounceNextPackage(std::string& out) {
    const size_t perPackage = std::max<size_t>(1, options_.packageSize / unit_) * unit_;
    packageLength_ = std::min(perPackage, transfer_.size() - offset_);
    const std::span<const uint8_t> package(transfer_.data() + offset_, packageLength_);
    std::string check = PhlxPackageCheckText(package);
    if (options_.badPackageChecks.count(packageNumber_) != 0) {
        check = WrongCheckText(PhlxPackageCheckValue(package));
        Trace("phlx: package " + std::to_string(packageNumber_) + " announced with the wrong check " + check);
    }
    waiting_ = Waiting::AnnounceAck;
    EmitText(out, "PHLX902," + std::to_string(packageInTransfer_) + "," + std::to_string(packageLength_) + "," + check);
}

void PhlxLoggerModel::SendPackage(std::string& out) {
    waiting_ = Waiting::PackageAck;
    const size_t number = packageNumber_++;
    if (options_.dropPackages.count(number) != 0) {
        Trace("phlx: package " + std::to_string(number) + " dropped");
        return;
    }
    out.append(reinterpret_cast<const char*>(transfer_.data() + offset_), packageLength_);
}

}  // namespace ml::sim
