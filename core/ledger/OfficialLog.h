#pragma once
// The official business car log (업무용승용차 운행기록부) of one car for one
// period, and the mileage refund record of the same period, as values: every
// number computed once here, then rendered as HTML, XLSX, CSV or GPX by the
// exporters, which only lay it out.
//
// The odometer chain runs over all trips of the car in time order, not only
// the period's, so ⑤ 주행 전 of the first row of a year continues the year
// before. Before any reading it starts at the car's base odometer; the first
// reading sets it; a later reading that differs from the chain is driving
// the logger did not record and becomes a row of its own.
#include <cstdint>
#include <string>
#include <vector>

#include "core/ledger/LedgerTypes.h"

namespace ml::ledger {

struct LogRow {
    enum class Kind {
        Trip,        // one trip
        Unrecorded,  // "기록되지 않은 주행": a reading above the chain
        MonthTotal,  // subtotal of the month of the rows above it
    };
    Kind kind = Kind::Trip;
    int64_t tripId = 0;  // Trip rows
    int64_t time = 0;    // start (UTC); the reading's time for Unrecorded rows
    int64_t endTime = 0;
    std::string dateText;       // ③ "2026-03-02(월)", local time; "2026-03" for MonthTotal
    std::string startTimeText;  // "08:15" local
    std::string endTimeText;
    std::string dept, name;  // ④ the trip's driver, else the car's
    double beforeKm = 0;     // ⑤
    double afterKm = 0;      // ⑥ = ⑤ + ⑦
    double distanceKm = 0;   // ⑦
    double commuteKm = 0;    // ⑧ 출·퇴근용 (Commute trips)
    double businessKm = 0;   // ⑨ 일반 업무용 (Business trips)
    Use use = Use::Unclassified;
    std::string purpose;  // 운행목적
    std::string note;     // 비고 as the user typed it; "기록되지 않은 주행" on Unrecorded rows
    std::string startAddress, endAddress;
    bool editedAfterPeriod = false;  // classified or changed after the period ended
};

struct LogTotals {
    double totalKm = 0;       // ⑪ = Σ⑦ (trips and unrecorded driving)
    double commuteKm = 0;     // Σ⑧
    double generalKm = 0;     // Σ⑨
    double businessKm = 0;    // ⑫ = Σ⑧ + Σ⑨
    double sharePercent = 0;  // ⑬ = ⑫ ÷ ⑪ × 100, 0 when ⑪ is 0
    int tripCount = 0;
    int unclassifiedCount = 0;
};

struct OfficialLog {
    Car car;
    Period period;
    std::string periodFromText;  // "2026-01-01", local
    std::string periodToText;    // "2026-12-31", the last day inside the period
    std::vector<LogRow> rows;    // time order, a MonthTotal after each month's rows
    LogTotals totals;
    std::vector<int64_t> unclassifiedTripIds;
    std::vector<std::string> warnings;  // unclassified trips, readings below the chain
};

// The mileage refund record over the period's 일반업무용 trips: the claimed
// amount is price × distance ÷ economy, in won.
struct RefundEntry {
    int64_t tripId = 0;
    std::string startText, endText;  // "2026-03-02 08:15"
    std::string startAddress, endAddress;
    double distanceKm = 0;
    std::string purpose;
    Use use = Use::Business;
};
struct RefundRecord {
    Car car;
    Period period;
    std::string periodFromText, periodToText;
    std::vector<RefundEntry> entries;
    double totalKm = 0;
    double economyKmPerLitre = 0;  // CAR_MILEAGE
    double pricePerLitre = 0;      // OIL_BILL
    double amountWon = 0;
};

}  // namespace ml::ledger
