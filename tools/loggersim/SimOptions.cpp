#include "tools/loggersim/SimOptions.h"

#include <charconv>
#include <cstdlib>

namespace ml::sim {

namespace {

bool ParseCount(const std::string& text, uint64_t& value) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    return error == std::errc() && end == text.data() + text.size();
}

// "3" or "3,5,8".
bool ParseIndexList(const std::string& text, std::set<size_t>& indexes) {
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        uint64_t value = 0;
        if (!ParseCount(text.substr(start, comma - start), value)) return false;
        indexes.insert(static_cast<size_t>(value));
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

}  // namespace

SimOptionsResult ParseSimOptions(const std::vector<std::string>& args) {
    SimOptionsResult result;
    SimOptions& o = result.options;
    size_t sources = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& flag = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) {
                result.error = flag + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto count = [&](uint64_t& out) {
            std::string text;
            if (!value(text)) return false;
            if (!ParseCount(text, out)) {
                result.error = flag + " needs a whole number, not '" + text + "'";
                return false;
            }
            return true;
        };
        auto list = [&](std::set<size_t>& out) {
            std::string text;
            if (!value(text)) return false;
            if (!ParseIndexList(text, out)) {
                result.error = flag + " needs indexes like 3 or 3,5, not '" + text + "'";
                return false;
            }
            return true;
        };
        uint64_t number = 0;
        std::string text;
        if (flag == "--help" || flag == "-h") {
            o.help = true;
        } else if (flag == "--mtk-image") {
            if (!value(o.mtkImage)) return result;
            o.kind = SimOptions::Kind::Mtk;
            ++sources;
        } else if (flag == "--phlx-records") {
            if (!value(o.phlxRecords)) return result;
            o.kind = SimOptions::Kind::Phlx;
            ++sources;
        } else if (flag == "--demo") {
            if (!value(text)) return result;
            if (text == "mtk") {
                o.kind = SimOptions::Kind::Mtk;
            } else if (text == "phlx") {
                o.kind = SimOptions::Kind::Phlx;
            } else {
                result.error = "--demo takes mtk or phlx, not '" + text + "'";
                return result;
            }
            o.demo = true;
            ++sources;
        } else if (flag == "--chunk-size") {
            if (!count(number)) return result;
            if (number == 0 || number > 65536) {
                result.error = "--chunk-size must be from 1 to 65536";
                return result;
            }
            o.chunkSize = static_cast<size_t>(number);
        } else if (flag == "--bad-checksum-every") {
            if (!count(number)) return result;
            if (number == 0 || number > 0xFFFFFFFFu) {
                result.error = "--bad-checksum-every must be 1 or more";
                return result;
            }
            o.badChecksumEvery = static_cast<unsigned>(number);
        } else if (flag == "--drop-chunk") {
            if (!list(o.dropChunks)) return result;
        } else if (flag == "--bad-package-check") {
            if (!list(o.badPackageChecks)) return result;
        } else if (flag == "--extra-records") {
            if (!count(number)) return result;
            if (number > 100000) {
                result.error = "--extra-records must be at most 100000";
                return result;
            }
            o.extraRecords = static_cast<unsigned>(number);
        } else if (flag == "--garbage-between") {
            o.garbageBetween = true;
        } else if (flag == "--silence-after") {
            if (!count(number)) return result;
            o.silenceAfter = number;
        } else if (flag == "--hangup-after") {
            if (!count(number)) return result;
            o.hangupAfter = number;
        } else if (flag == "--pace") {
            o.pace = true;
        } else if (flag == "--flash-size") {
            if (!count(number)) return result;
            if (number < 65536 || number > 16u * 1024 * 1024 || (number & (number - 1)) != 0) {
                result.error = "--flash-size must be a power of two from 65536 to 16777216";
                return result;
            }
            o.flashSize = static_cast<uint32_t>(number);
        } else if (flag == "--stats") {
            if (!value(o.statsPath)) return result;
        } else if (flag == "--log") {
            if (!value(o.logPath)) return result;
        } else if (flag == "--link") {
            if (!value(o.linkPath)) return result;
        } else if (flag == "--exit-after-idle") {
            if (!value(text)) return result;
            char* end = nullptr;
            o.exitAfterIdle = std::strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !(o.exitAfterIdle > 0) || o.exitAfterIdle > 86400) {
                result.error = "--exit-after-idle needs seconds (more than 0, at most 86400)";
                return result;
            }
        } else if (flag == "--verbose" || flag == "-v") {
            o.verbose = true;
        } else {
            result.error = "unknown option '" + flag + "' (see --help)";
            return result;
        }
    }
    if (o.help) return result;
    if (sources == 0) {
        result.error = "say which logger to play: --mtk-image FILE, --phlx-records FILE or --demo mtk|phlx";
    } else if (sources > 1) {
        result.error = "give only one of --mtk-image, --phlx-records and --demo";
    }
    return result;
}

std::string SimHelpText() {
    return R"(Usage: loggersim (--mtk-image FILE | --phlx-records FILE | --demo mtk|phlx) [options]

Plays a GNSS data logger on a pseudo-terminal, for trying and testing
MileLedger without a logger. The first line on standard output is
"PORT /dev/pts/N", the port to open; the simulator then answers what the
program sends until it is stopped (SIGTERM or Ctrl-C).

Logger:
  --mtk-image FILE        an MTK logger (PMTK182 commands) holding this memory
                          image; its used byte count is the file's size
  --phlx-records FILE     a TRL4200Mini logger (PHLX protocol) holding these
                          logs; text lines "entry [INDEX]" and
                          "TIME,LAT,LON,HEIGHT,SPEED,DISTANCE" (TIME as
                          2026-11-30T08:15:00Z or the logger's seconds since
                          2000-01-01 00:00:00 UTC; see the README)
  --demo mtk|phlx         either logger with a built-in day of drives around
                          Seoul

Transfer:
  --chunk-size N          MTK: data bytes per "$PMTK182,8" sentence (default
                          2048); PHLX: bytes per package (default 1024,
                          rounded down to whole entries or records)
  --pace                  send at the real line rate: 38400 baud, 10 bits per
                          byte (about 3.8 KB/s)
  --flash-size BYTES      MTK: the size of the logger's flash, a power of two
                          from 65536 to 16777216 (default); the status
                          reports it (item 9) and reads beyond it are refused

Faults:
  --bad-checksum-every N  MTK: every Nth data sentence of a read has a wrong
                          checksum; PHLX: every Nth text sentence does
  --drop-chunk I[,J...]   MTK: data sentences I, J... of a read (from 0) are
                          never sent; PHLX: packages I, J... (from 0, counted
                          since the last product query) are announced and
                          acknowledged but their bytes never come
  --bad-package-check K[,L...]
                          PHLX: packages K, L... are announced with a wrong
                          check text; the logger then waits for an
                          acknowledgement that a careful program never sends
  --extra-records N       PHLX: every log request gets N records more than it
                          asked for (an entry that overruns its count)
  --garbage-between       line noise (NUL and 0xFF bytes, a stray "$PM",
                          a foreign $GPTXT line) before every text sentence
  --silence-after N       send only the first N bytes, then stop answering
                          (still reading and logging what comes)
  --hangup-after N        close the line after N bytes sent, as an unplugged
                          adapter does, and exit

Running:
  --log FILE              append every byte received from the program, raw,
                          to FILE as it arrives
  --stats FILE            keep FILE up to date with counters, one "NAME
                          VALUE" line each: line-bytes (bytes sent), and for
                          MTK reads (read commands answered) and memory-bytes
                          (memory bytes sent in data sentences)
  --link PATH             also make PATH a symbolic link to the port (an
                          existing link there is replaced; removed on exit)
  --exit-after-idle S     exit after S seconds with nothing received and
                          nothing left to send
  --verbose, -v           trace what is received and sent on stderr
  --help, -h              this text
)";
}

}  // namespace ml::sim
