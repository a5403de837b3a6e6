#include "acquire/EraseLogFlow.h"

#include "acquire/AcquireTexts.h"
#include "acquire/ModelQuery.h"
#include "core/DiagLog.h"
#include "link/SentenceBuilder.h"

namespace ml {

// An erase that did not reach the logger must not pass for done, whichever
// way the write failed.
bool EraseLogFlow::Send(const std::string& sentence) {
    const long written = session_.port.Write(sentence);
    if (written == static_cast<long>(sentence.size())) return true;
    DiagPrintf("erase: %ld of %zu bytes written: %s\n", written, sentence.size(), session_.port.lastError().c_str());
    ui_.ShowMessage(texts::kEraseSendFailed, texts::kErrorCaption);
    return false;
}

EraseOutcome EraseLogFlow::EraseLogCommand() {
    if (!session_.port.IsOpen()) {
        ui_.ShowMessage(texts::kEraseNoPort, texts::kErrorCaption);
        return EraseOutcome::NoPort;
    }
    if (!ui_.AskYesNo(texts::kEraseQuestion)) return EraseOutcome::Declined;

    std::string portName = session_.SelectedPortName();
    if (portName.empty()) portName = session_.port.name();
    cancel_.store(false);
    const ModelQueryResult query = QueryLoggerModel(session_.port, portName, ui_, session_.options, cancel_);
    if (query.model == LoggerModel::Failed) return EraseOutcome::QueryFailed;

    if (query.model == LoggerModel::Mtk) {
        // The PMTK erase goes out without a purge, as the logger expects it
        // right after the model answer.
        if (!Send(MtkEraseSentence())) return EraseOutcome::SendFailed;
        return EraseOutcome::MtkErased;
    }
    session_.port.Purge();
    if (!Send(PhlxEraseCommand())) return EraseOutcome::SendFailed;
    return EraseOutcome::PhlxErased;
}

}  // namespace ml
