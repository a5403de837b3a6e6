#pragma once
// The official log and the refund record of one car for one period, built
// from the ledger's records (see OfficialLog.h for what each number is).
#include <span>

#include "core/ledger/LedgerTypes.h"
#include "core/ledger/OfficialLog.h"

namespace ml::ledger {

// The note of a row of driving the logger did not record.
inline constexpr std::string_view kUnrecordedNote = "기록되지 않은 주행";

// `trips`: every trip of the car in time order (the chain runs over all of
// them); `readings`: the car's readings, any order; `history`: the car's
// history (for editedAfterPeriod).
OfficialLog BuildOfficialLog(const Car& car, std::span<const Trip> trips, std::span<const OdometerReading> readings,
                             std::span<const HistoryEntry> history, const Period& period);

// Over the 일반업무용 trips of the period: amount = price × km ÷ economy
// (0 when the economy is 0), as the refund form has always claimed it.
RefundRecord BuildRefundRecord(const Car& car, std::span<const Trip> trips, const Period& period,
                               double economyKmPerLitre, double pricePerLitre);

}  // namespace ml::ledger
