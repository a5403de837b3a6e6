#pragma once
// The simulator's command line.
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ml::sim {

struct SimOptions {
    enum class Kind { None, Mtk, Phlx };
    Kind kind = Kind::None;
    std::string mtkImage;     // --mtk-image FILE
    std::string phlxRecords;  // --phlx-records FILE
    bool demo = false;        // --demo mtk|phlx: the built-in log

    size_t chunkSize = 0;  // 0: the logger kind's default
    unsigned badChecksumEvery = 0;
    std::set<size_t> dropChunks;
    std::set<size_t> badPackageChecks;
    unsigned extraRecords = 0;
    bool garbageBetween = false;
    std::optional<uint64_t> silenceAfter;
    std::optional<uint64_t> hangupAfter;
    bool pace = false;
    uint32_t flashSize = 0;  // --flash-size BYTES; 0: the model's default

    std::string logPath;       // --log FILE
    std::string statsPath;     // --stats FILE
    std::string linkPath;      // --link PATH
    double exitAfterIdle = 0;  // seconds; 0: run until killed
    bool verbose = false;
    bool help = false;
};

struct SimOptionsResult {
    SimOptions options;
    std::string error;  // one line, empty on success
};

// Parses the arguments after the program name.
SimOptionsResult ParseSimOptions(const std::vector<std::string>& args);

std::string SimHelpText();

}  // namespace ml::sim
