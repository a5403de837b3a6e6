#pragma once
// QueryLoggerModel: asks the logger on the open port which protocol it
// speaks ("$PHLX810"); both kinds answer with an 852 sentence, the PHLX
// model names itself "TRL4200Mini" in it. Used by the read-log and the
// erase-log flow. Opens nothing.
#include <atomic>
#include <string>

#include "acquire/AcquireOptions.h"
#include "acquire/AcquireUi.h"
#include "acquire/ReadLogOutcome.h"
#include "link/platform/SerialPort.h"
#include "protocol/LoggerModel.h"

namespace ml {

struct ModelQueryResult {
    LoggerModel model = LoggerModel::Failed;
    // Why it failed (meaningful only for LoggerModel::Failed).
    ReadLogOutcome failure = ReadLogOutcome::NoModelAnswer;
    std::string loggerId{};  // the name in the answer (LoggerIdOf)
};

// On failure the reason has been shown (caption "오류", naming `portName`)
// and the popup hidden, except for a cancel, which shows nothing.
ModelQueryResult QueryLoggerModel(SerialPort& port, const std::string& portName, AcquireUi& ui,
                                  const AcquireOptions& options, const std::atomic<bool>& cancel);

}  // namespace ml
