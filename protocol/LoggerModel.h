#pragma once
// Which protocol a logger speaks, from its answer to the "810" model query.
// Both kinds answer with an 852 sentence; only the PHLX model names itself
// "TRL4200Mini" in it.
#include <string>
#include <string_view>

namespace ml {

enum class LoggerModel {
    Failed,  // no "$PHLX852" in the answer: not a logger we know
    Mtk,     // read with the PMTK182 commands
    Phlx,    // read with the PHLX exchange
};

LoggerModel ClassifyModelReply(std::string_view reply);

// The name a logger gives itself in its 852 sentence ("MTK-3339",
// "TRL4200Mini"): how the ledger tells one car's loggers apart. "mtk" or
// "phlx" when the sentence names none.
std::string LoggerIdOf(std::string_view reply, LoggerModel model);

}  // namespace ml
