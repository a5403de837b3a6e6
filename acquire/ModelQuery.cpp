#include "acquire/ModelQuery.h"

#include <chrono>
#include <thread>

#include "acquire/AcquireTexts.h"
#include "core/DiagLog.h"
#include "core/TextFormat.h"
#include "link/SentenceBuilder.h"

namespace ml {

namespace {

constexpr size_t kReplyLimit = 4095;

ModelQueryResult Fail(AcquireUi& ui, ReadLogOutcome reason, const std::string& text) {
    if (!text.empty()) ui.ShowMessage(text, texts::kErrorCaption);
    ui.HidePopup();
    return ModelQueryResult{LoggerModel::Failed, reason};
}

// Waits for the first answer byte in slices, so that a cancel is seen soon.
SerialPort::WaitResult WaitForAnswer(SerialPort& port, int limitMs, const std::atomic<bool>& cancel) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        if (cancel.load()) return SerialPort::WaitResult::TimedOut;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return SerialPort::WaitResult::TimedOut;
        const auto result = port.WaitForInput(std::min(left, std::chrono::milliseconds(100)));
        if (result != SerialPort::WaitResult::TimedOut) return result;
    }
}

}  // namespace

ModelQueryResult QueryLoggerModel(SerialPort& port, const std::string& portName, AcquireUi& ui,
                                  const AcquireOptions& options, const std::atomic<bool>& cancel) {
    const std::string query = BuildPhlxShortSentence("810");
    port.Purge();
    const long written = port.Write(query);
    if (written == 0) return Fail(ui, ReadLogOutcome::WrongPort, Format(texts::kWrongPort, portName.c_str()));

    const auto waited = WaitForAnswer(port, options.replyTimeoutMs, cancel);
    if (cancel.load()) return Fail(ui, ReadLogOutcome::Cancelled, {});
    if (waited == SerialPort::WaitResult::Failed) {
        DiagPrintf("model query: %s\n", port.lastError().c_str());
        return Fail(ui, ReadLogOutcome::SerialError, Format(texts::kSerialError, portName.c_str()));
    }
    if (waited == SerialPort::WaitResult::TimedOut) {
        return Fail(ui, ReadLogOutcome::NoAnswer, Format(texts::kNoAnswer, portName.c_str()));
    }

    // The answer is read until the line falls silent (one read time-out)
    // or the buffer is full.
    std::string reply;
    uint8_t chunk[1024];
    while (reply.size() < kReplyLimit) {
        const long count = port.Read(chunk, std::min(sizeof chunk, kReplyLimit - reply.size()));
        if (count <= 0) break;
        reply.append(reinterpret_cast<const char*>(chunk), static_cast<size_t>(count));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (DiagEnabled()) DiagPrintf("model query answer: %s\n", reply.c_str());

    const LoggerModel model = ClassifyModelReply(reply);
    if (model == LoggerModel::Failed) {
        return Fail(ui, ReadLogOutcome::NoModelAnswer, texts::kModelQueryFailed);
    }
    return ModelQueryResult{model, ReadLogOutcome::NoModelAnswer, LoggerIdOf(reply, model)};
}

}  // namespace ml
