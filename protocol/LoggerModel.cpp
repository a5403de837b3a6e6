#include "protocol/LoggerModel.h"

namespace ml {

LoggerModel ClassifyModelReply(std::string_view reply) {
    if (reply.find("$PHLX852") == std::string_view::npos) return LoggerModel::Failed;
    if (reply.find("TRL4200Mini") != std::string_view::npos) return LoggerModel::Phlx;
    return LoggerModel::Mtk;
}

const char* ModelQueryFailedText() { return "메시지를 획득하지 못했습니다($PHLX852)"; }

}  // namespace ml
