// decode IMAGE: an MTK memory image to fixes as CSV on standard output.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/DiagLog.h"
#include "core/FixCsv.h"
#include "protocol/MtkLogDecoder.h"
#include "tools/cli/Cli.h"

namespace ml::cli {

namespace {

int RunDecode(CliContext& context, const std::vector<std::string>& args) {
    LoadCliSettings(context);
    if (args.size() != 1) {
        std::fprintf(stderr, "mileledger-cli: usage: decode IMAGE\n");
        return kExitUsage;
    }
    const std::string& path = args[0];
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return Fail("cannot read " + path + ": it is a folder");
    }
    std::vector<unsigned char> bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error)) {
        return Fail(error);
    }
    FixList fixes;
    const MtkDecodeSummary summary = DecodeLogImage(bytes, fixes);
    DiagPrintf("decode: %d sector(s), %d with data, %ld record(s) counted, %ld fix(es) stored, "
               "%ld checksum failure(s), %zu trailing byte(s) ignored\n",
               summary.sectorsInImage, summary.sectorsDecoded, summary.recordsCounted,
               summary.fixesStored, summary.checksumFailures, summary.trailingBytesIgnored);
    if (summary.sectorsDecoded == 0) {
        // Nothing carried the sector mark: most likely not a logger image at all.
        return Fail(path + ": not an MTK log image (no 64 KiB sector carries the data mark)");
    }
    const std::string csv = FormatFixCsv(fixes);
    if (std::fwrite(csv.data(), 1, csv.size(), stdout) != csv.size() || std::fflush(stdout) != 0) {
        return Fail("cannot write the fixes to standard output");
    }
    return 0;
}

const CommandRegistration registration("decode", "decode IMAGE    MTK memory image to fixes as CSV",
                                       RunDecode);

}  // namespace

}  // namespace ml::cli
