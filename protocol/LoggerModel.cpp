#include "protocol/LoggerModel.h"

namespace ml {

LoggerModel ClassifyModelReply(std::string_view reply) {
    if (reply.find("$PHLX852") == std::string_view::npos) return LoggerModel::Failed;
    if (reply.find("TRL4200Mini") != std::string_view::npos) return LoggerModel::Phlx;
    return LoggerModel::Mtk;
}

std::string LoggerIdOf(std::string_view reply, LoggerModel model) {
    constexpr std::string_view kAnswer = "$PHLX852,";
    const size_t at = reply.find(kAnswer);
    std::string id;
    if (at != std::string_view::npos) {
        const std::string_view rest = reply.substr(at + kAnswer.size());
        id = std::string(rest.substr(0, rest.find_first_of(",*\r\n")));
    }
    if (!id.empty()) return id;
    return model == LoggerModel::Phlx ? "phlx" : "mtk";
}

}  // namespace ml
