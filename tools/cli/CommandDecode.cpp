// decode IMAGE [--raw-time]: an MTK memory image to fixes as CSV on
// standard output. Times a GPS week rollover put 1024 weeks early are moved
// forward (stderr says how many) unless --raw-time asks for them as logged.
//
// The image is read once and decoded sector by sector; each sector's fixes
// are formatted into a large buffer that goes out whenever it fills, so a
// full logger memory never exists as a fix list or as text.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/DiagLog.h"
#include "core/FixCsv.h"
#include "protocol/MtkLogDecoder.h"
#include "store/platform/FileIo.h"
#include "tools/cli/Cli.h"

namespace ml::cli {

namespace {

int RunDecode(CliContext& context, const std::vector<std::string>& args) {
    LoadCliSettings(context, false);
    std::vector<std::string> words;
    bool rawTime = false;
    for (const std::string& arg : args) {
        if (arg == "--raw-time") {
            rawTime = true;
        } else {
            words.push_back(arg);
        }
    }
    if (words.size() != 1) {
        std::fprintf(stderr, "mileledger-cli: usage: decode IMAGE [--raw-time]\n");
        return kExitUsage;
    }
    const std::string& path = words[0];
    std::vector<uint8_t> bytes;
    std::string error;
    if (ReadFileBytes(path, bytes, error) != ReadStatus::Ok) return Fail(error);

    // Nothing reaches standard output before a sector with the data mark has
    // given fixes: the buffer holds only the header until then.
    FixCsvWriter csv([](std::string_view text) { return WriteAll(STDOUT_FILENO, text); });
    FixList fixes;
    const MtkDecodeSummary summary = DecodeLogImage(
        bytes, fixes, {},
        [&csv](FixList& sector) {
            csv.Add(sector);
            sector.clear();
        },
        rawTime ? MtkTimes::AsLogged : MtkTimes::Corrected);
    DiagPrintf(
        "decode: %d sector(s), %d with data, %ld record(s) counted, %ld fix(es) stored, "
        "%ld checksum failure(s), %zu trailing byte(s) ignored, %ld time(s) moved 1024 weeks\n",
        summary.sectorsInImage, summary.sectorsDecoded, summary.recordsCounted, summary.fixesStored,
        summary.checksumFailures, summary.trailingBytesIgnored, summary.timesMoved);
    if (summary.timesMoved > 0) {
        std::fprintf(stderr,
                     "mileledger-cli: %ld fix time(s) between 1999-08-22 and 2006-01-01 moved forward 1024 weeks "
                     "(GPS week rollover); --raw-time prints them as logged\n",
                     summary.timesMoved);
    }
    if (summary.sectorsDecoded == 0) {
        // Nothing carried the sector mark: most likely not a logger image at all.
        return Fail(path + ": " + kNotAnImage);
    }
    if (!csv.Finish()) {
        return Fail(std::string("cannot write the fixes to standard output: ") + std::strerror(errno));
    }
    return 0;
}

const CommandRegistration registration("decode",
                                       "decode IMAGE [--raw-time]\n"
                                       "                 MTK memory image to fixes as CSV",
                                       RunDecode);

}  // namespace

}  // namespace ml::cli
