#pragma once
// Texts the ledger's renderers share: the use and header labels and the
// 비고 of a log row.
#include <string>
#include <string_view>

#include "core/ledger/OfficialLog.h"

namespace ml::ledger {

// "출퇴근용", "일반업무용", "비업무용"; "" for an unclassified trip.
std::string_view UseLabel(Use use);

// "사업연도" / "과세기간" and "법인명" / "상호명".
std::string_view PeriodLabel(FormVariant form);
std::string_view CompanyLabel(FormVariant form);

// ⑩ 비고 of a trip row: the purpose and the user's note; a private trip
// shows only that it was private.
std::string RemarkText(const LogRow& row);

// "2026-03-02(월) 08:15": the row's day with its start time.
std::string RowDayText(const LogRow& row);

}  // namespace ml::ledger
