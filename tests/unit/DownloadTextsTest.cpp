#include <gtest/gtest.h>

#include "acquire/DownloadTexts.h"

namespace ml::texts {
namespace {

std::string Shown(const UserMessage& m) { return m.text + "|" + m.caption; }
std::string Said(MtkOutcome outcome) { return Shown(OutcomeMessage(outcome, "p")); }
std::string Said(PhlxOutcome outcome) { return Shown(OutcomeMessage(outcome, "p")); }
using M = MtkOutcome;
using P = PhlxOutcome;

TEST(DownloadTexts, FromOutcomesCountsAndPlansAndNothingWhenAllIsWell) {
    const std::pair<std::string, const char*> cases[] = {
        {Said(M::NoData), "데이터가 없습니다.|경고"},
        {Said(M::AllocationFailed), "메모리 할당 실패|오류"},
        {Said(M::NothingReceived), "데이터를 받아오지 못했습니다 다시 시도해 주십시오|오류"},
        {Said(M::NoReply), "p 포트에서 응답이 없습니다. 로거의 연결과 전원을 확인하고 다시 시도해 주십시오|오류"},
        {Said(M::ReadFailed) + Said(P::ReadFailed), "p 시리얼 오류|오류p 시리얼 오류|오류"},
        {Said(M::WrongPort), "p 올바른 포트가 아닙니다.|오류"},
        {Said(P::PackageDamaged),
         "p 포트에서 받은 데이터 패키지가 손상되었습니다(검사값 불일치). 다시 시도해 주십시오|오류"},
        {Said(P::NoReply), "p 포트에서 응답이 없습니다. 로거의 연결과 전원을 확인하고 다시 시도해 주십시오|오류"},
        {Shown(MtkLossMessage(6, 4, 1, 1)),
         "로그 데이터 일부를 받지 못했습니다: 6바이트 중 4바이트 수신, 데이터 문장 "
         "1개 누락(체크섬 오류 1개). 받은 데이터까지만 표시합니다.|경고"},
        {Shown(PhlxLossMessage(1)),
         "손상된 데이터 패키지 1개를 버렸습니다(검사값 불일치). 받은 데이터까지만 표시합니다.|경고"},
        {ReadPlanText(PlanMtkRead(150000, 162288, false)), "새 데이터만 읽는 중: 14,848 / 162,288 bytes"},
        {ReadPlanText(PlanMtkRead(150000, 100, false)),
         "로거 메모리가 지난번과 달라(지워졌거나 한 바퀴 돌았음) 전체를 읽는 중: 100 bytes"},
        {PhlxPlanText(3, 10, 1, 3), "새 로그만 읽는 중: 로그 2 / 3개, 기록 7 / 10개"},
        {MemoryStateText(1887437, 2097152), "로거 메모리: 1,887,437 / 2,097,152 bytes (90.0%)"},
        {MemoryStateText(4096, 0), "로거 메모리: 4,096 bytes 사용"},
        {MemoryWarningText(2000000, 2097152, 1),
         "로거 메모리가 95.4% 찼습니다. 곧 가장 오래된 기록을 덮어씁니다. "
         "로그를 읽어 원장에 넣은 뒤 로그삭제로 비워 주십시오."},
        {MemoryWarningText(2000000, 2097152, 2).substr(0, 67), "로거 메모리가 95.4% 찼습니다. 곧 기록을 멈춥니다."},
        {Said(M::Cancelled) + Shown(MtkLossMessage(6, 6, 0, 0)) + Shown(PhlxLossMessage(0)), "|||"},
        {PhlxPlanText(3, 10, 0, 0) + MemoryWarningText(1887436, 2097152, 1) + MemoryWarningText(2000000, 0, 2), ""},
    };
    for (const auto& [made, expected] : cases) EXPECT_EQ(made, expected);
}

}  // namespace
}  // namespace ml::texts
