#include "acquire/DownloadTexts.h"

#include "acquire/AcquireTexts.h"
#include "core/FormText.h"
#include "core/TextFormat.h"

namespace ml::texts {

namespace {

UserMessage Error(const char* format, std::string_view portName) {
    return {Format(format, std::string(portName).c_str()), kErrorCaption};
}

std::string Bytes(uint32_t count) { return GroupedText(static_cast<double>(count), 0); }

double Percent(uint32_t used, uint32_t flash) { return static_cast<double>(used) * 100.0 / flash; }

}  // namespace

UserMessage OutcomeMessage(MtkOutcome outcome, std::string_view portName) {
    switch (outcome) {
        case MtkOutcome::NoData: return {kNoData, kWarningCaption};
        case MtkOutcome::AllocationFailed: return {"메모리 할당 실패", kErrorCaption};
        case MtkOutcome::NothingReceived: return {"데이터를 받아오지 못했습니다 다시 시도해 주십시오", kErrorCaption};
        case MtkOutcome::NoReply: return Error(kNoAnswer, portName);
        case MtkOutcome::ReadFailed: return Error(kSerialError, portName);
        case MtkOutcome::WrongPort: return Error(kWrongPort, portName);
        case MtkOutcome::Running:
        case MtkOutcome::Completed:
        case MtkOutcome::Cancelled: break;
    }
    return {};
}

// A PHLX download cut short commits nothing, so silence reads the same
// whatever had arrived.
UserMessage OutcomeMessage(PhlxOutcome outcome, std::string_view portName) {
    switch (outcome) {
        case PhlxOutcome::NoReply: return Error(kNoAnswer, portName);
        case PhlxOutcome::PackageDamaged:
            return Error("%s 포트에서 받은 데이터 패키지가 손상되었습니다(검사값 불일치). 다시 시도해 주십시오",
                         portName);
        case PhlxOutcome::ReadFailed: return Error(kSerialError, portName);
        case PhlxOutcome::WrongPort: return Error(kWrongPort, portName);
        case PhlxOutcome::Running:
        case PhlxOutcome::Completed:
        case PhlxOutcome::Cancelled: break;
    }
    return {};
}

UserMessage MtkLossMessage(uint32_t toRead, uint32_t received, uint64_t missingSentences, uint64_t crcErrors) {
    if (received >= toRead && missingSentences == 0 && crcErrors == 0) return {};
    return {Format("로그 데이터 일부를 받지 못했습니다: %u바이트 중 %u바이트 수신, 데이터 문장 %llu개 누락"
                   "(체크섬 오류 %llu개). 받은 데이터까지만 표시합니다.",
                   toRead, received, static_cast<unsigned long long>(missingSentences),
                   static_cast<unsigned long long>(crcErrors)),
            kWarningCaption};
}

UserMessage PhlxLossMessage(uint64_t rejectedPackages) {
    if (rejectedPackages == 0) return {};
    return {Format("손상된 데이터 패키지 %llu개를 버렸습니다(검사값 불일치). 받은 데이터까지만 표시합니다.",
                   static_cast<unsigned long long>(rejectedPackages)),
            kWarningCaption};
}

std::string ReadPlanText(const MtkReadPlan& plan) {
    const std::string used = Bytes(plan.usedBytes);
    switch (plan.reason) {
        case MtkFullReason::None: return "새 데이터만 읽는 중: " + Bytes(plan.BytesToRead()) + " / " + used + " bytes";
        case MtkFullReason::Shrunk:
        case MtkFullReason::Mismatch:
            return "로거 메모리가 지난번과 달라(지워졌거나 한 바퀴 돌았음) 전체를 읽는 중: " + used + " bytes";
        case MtkFullReason::Asked:
        case MtkFullReason::NothingKnown: break;
    }
    return "전체를 읽는 중: " + used + " bytes";
}

std::string PhlxPlanText(size_t logs, uint64_t records, size_t skippedLogs, uint64_t skippedRecords) {
    if (skippedLogs == 0) return {};
    return Format("새 로그만 읽는 중: 로그 %zu / %zu개, 기록 %llu / %llu개", logs - skippedLogs, logs,
                  static_cast<unsigned long long>(records - skippedRecords), static_cast<unsigned long long>(records));
}

std::string MemoryStateText(uint32_t usedBytes, uint32_t flashBytes) {
    if (flashBytes == 0) return "로거 메모리: " + Bytes(usedBytes) + " bytes 사용";
    return "로거 메모리: " + Bytes(usedBytes) + " / " + Bytes(flashBytes) + " bytes (" +
           FixedText(Percent(usedBytes, flashBytes), 1) + "%)";
}

std::string PhlxMemoryStateText(size_t logs, uint64_t records) {
    return Format("로거 메모리: 로그 %zu개, 기록 %llu개", logs, static_cast<unsigned long long>(records));
}

std::string MemoryWarningText(uint32_t usedBytes, uint32_t flashBytes, int recordMethod) {
    if (flashBytes == 0 || Percent(usedBytes, flashBytes) <= 90.0) return {};
    const char* next = recordMethod == 1   ? "곧 가장 오래된 기록을 덮어씁니다"
                       : recordMethod == 2 ? "곧 기록을 멈춥니다"
                                           : "곧 기록을 멈추거나 가장 오래된 기록을 덮어씁니다";
    return "로거 메모리가 " + FixedText(Percent(usedBytes, flashBytes), 1) + "% 찼습니다. " + next +
           ". 로그를 읽어 원장에 넣은 뒤 로그삭제로 비워 주십시오.";
}

}  // namespace ml::texts
