#pragma once
// The device side of an MTK logger that speaks the PMTK182 log commands,
// playing back a memory image.
//
// Device facts this model reproduces:
// - Every command is answered only when its checksum is right; anything else
//   on the line is ignored, as the firmware does.
// - "$PMTK182,2,N" (status item N) is answered with "$PMTK182,3,N,VALUE"
//   followed at once by the acknowledgement "$PMTK001,182,2,3", both in one
//   write. Item 8 is the count of log bytes in use in hexadecimal (eight
//   digits), item 12 the record count in decimal; the others carry plausible
//   settings (item 2 the format register of the first sector, item 3 the
//   time interval in tenths of a second, item 10 the record count in hex).
// - "$PMTK182,7,ADDR,SIZE" (both hexadecimal) is answered with data
//   sentences "$PMTK182,8,AAAAAAAA,HEX..." of a fixed chunk size with
//   upper-case digits, covering the requested bytes from ADDR, then
//   "$PMTK001,182,7,3". Memory past the end of the image reads as erased
//   flash (0xFF). A request past the end of the flash gets "$PMTK001,182,7,2".
// - Item 9 is the flash chip's JEDEC id, whose last byte is the capacity as a
//   power of two ("C22015": 2 MiB); item 6 the record method (1 overwrite
//   when full).
// - "$PMTK182,6,1" erases the log: the image becomes empty.
// - The product query "$PHLX810" is answered with a "$PHLX852" sentence that
//   does not name the TRL4200Mini, and "$PHLX827" (end of download) with
//   "$PHLX860".
// - Any other PMTK command gets "$PMTK001,CMD,1" (not supported).
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tools/loggersim/SentenceAssembler.h"
#include "tools/loggersim/SimulatedLogger.h"

namespace ml::sim {

struct MtkLoggerOptions {
    size_t chunkSize = 2048;                 // data bytes per "$PMTK182,8" sentence
    unsigned badChecksumEvery = 0;           // every Nth data sentence of a read gets a wrong checksum; 0 off
    std::set<size_t> dropChunks;             // data sentences of a read (from 0) that are never sent
    bool garbageBetween = false;             // line noise before every sentence
    uint32_t flashSize = 16u * 1024 * 1024;  // a power of two from 64 KiB
};

class MtkLoggerModel : public SimulatedLogger {
public:
    static constexpr size_t kSectorSize = 0x10000;

    MtkLoggerModel(std::vector<uint8_t> image, MtkLoggerOptions options);

    std::string Receive(std::string_view bytes) override;
    // "reads N" (read commands answered) and "memory-bytes N" (memory bytes
    // sent in data sentences).
    std::string Stats() const override;

    const std::vector<uint8_t>& image() const { return image_; }

    // Records in the log as the sector headers count them (a header still
    // being written, count 0xFFFF, counts as 0).
    uint32_t RecordCount() const;

private:
    std::string Answer(const std::string& line);
    std::string AnswerPmtk182(const std::vector<std::string>& fields);
    std::string StatusValue(int item) const;
    std::string ReadMemory(uint32_t address, uint32_t size);
    void Emit(std::string& out, const std::string& body, bool corrupt = false);

    std::vector<uint8_t> image_;
    MtkLoggerOptions options_;
    SentenceAssembler assembler_;
    unsigned noiseIndex_ = 0;
    uint64_t reads_ = 0;
    uint64_t memoryBytesSent_ = 0;
};

}  // namespace ml::sim
