#include "core/ledger/OfficialLogBuilder.h"

#include <algorithm>
#include <unordered_set>

#include "core/TextFormat.h"
#include "core/ledger/LedgerCalendar.h"
#include "core/ledger/OdometerChain.h"

namespace ml::ledger {

namespace {

// The warning lists this many unclassified trips by name, then counts the rest.
constexpr size_t kListedUnclassified = 20;

struct MonthSums {
    std::string month;
    LogRow total;
    int64_t distance = 0, commute = 0, business = 0;
    bool open = false;
};

class RowWriter {
public:
    explicit RowWriter(OfficialLog& log) : log_(log) {}

    void Add(LogRow row, int64_t distance, int64_t commute, int64_t business) {
        const std::string month = MonthText(row.time);
        if (month_.open && month_.month != month) CloseMonth();
        if (!month_.open) {
            month_ = MonthSums{};
            month_.open = true;
            month_.month = month;
            month_.total.kind = LogRow::Kind::MonthTotal;
            month_.total.time = row.time;
            month_.total.dateText = month;
            month_.total.beforeKm = row.beforeKm;
        }
        month_.total.endTime = row.endTime;
        month_.total.afterKm = row.afterKm;
        month_.distance += distance;
        month_.commute += commute;
        month_.business += business;
        total_ += distance;
        commuteTotal_ += commute;
        businessTotal_ += business;
        log_.rows.push_back(std::move(row));
    }

    void Finish() {
        if (month_.open) CloseMonth();
        LogTotals& t = log_.totals;
        t.totalKm = TenthsToKm(total_);
        t.commuteKm = TenthsToKm(commuteTotal_);
        t.generalKm = TenthsToKm(businessTotal_);
        t.businessKm = TenthsToKm(commuteTotal_ + businessTotal_);
        t.sharePercent = total_ > 0
                             ? 100.0 * static_cast<double>(commuteTotal_ + businessTotal_) / static_cast<double>(total_)
                             : 0.0;
    }

private:
    void CloseMonth() {
        month_.total.distanceKm = TenthsToKm(month_.distance);
        month_.total.commuteKm = TenthsToKm(month_.commute);
        month_.total.businessKm = TenthsToKm(month_.business);
        log_.rows.push_back(month_.total);
        month_.open = false;
    }

    OfficialLog& log_;
    MonthSums month_;
    int64_t total_ = 0, commuteTotal_ = 0, businessTotal_ = 0;
};

std::unordered_set<int64_t> TripsEditedSince(std::span<const HistoryEntry> history, int64_t since) {
    std::unordered_set<int64_t> ids;
    for (const HistoryEntry& h : history) {
        if (h.tripId == 0 || h.at < since) continue;
        if (h.field == "use" || h.field == "purpose" || h.field == "note" || h.field == "driver") ids.insert(h.tripId);
    }
    return ids;
}

LogRow TripRow(const Car& car, const Trip& trip, const ChainStep& step) {
    LogRow row;
    row.kind = LogRow::Kind::Trip;
    row.tripId = trip.id;
    row.time = trip.startTime;
    row.endTime = trip.endTime;
    row.dateText = DateWeekdayText(trip.startTime);
    row.startTimeText = ClockText(trip.startTime);
    row.endTimeText = ClockText(trip.endTime);
    const bool ownDriver = !trip.driverDept.empty() || !trip.driverName.empty();
    row.dept = ownDriver ? trip.driverDept : car.dept;
    row.name = ownDriver ? trip.driverName : car.name;
    row.beforeKm = TenthsToKm(step.beforeTenths);
    row.afterKm = TenthsToKm(step.afterTenths());
    row.distanceKm = TenthsToKm(step.distanceTenths);
    row.use = trip.use;
    if (trip.use == Use::Commute) row.commuteKm = row.distanceKm;
    if (trip.use == Use::Business) row.businessKm = row.distanceKm;
    row.purpose = trip.purpose;
    row.note = trip.note;
    row.startAddress = trip.startAddress;
    row.endAddress = trip.endAddress;
    return row;
}

}  // namespace

OfficialLog BuildOfficialLog(const Car& car, std::span<const Trip> trips, std::span<const OdometerReading> readings,
                             std::span<const HistoryEntry> history, const Period& period) {
    OfficialLog log;
    log.car = car;
    log.period = period;
    log.periodFromText = DateText(period.from);
    log.periodToText = DateText(period.to - 1);

    std::vector<OdometerReading> sorted(readings.begin(), readings.end());
    SortReadings(sorted);
    const OdometerChain chain = BuildOdometerChain(car, trips, sorted);
    const auto edited = TripsEditedSince(history, period.to);

    RowWriter writer(log);
    std::vector<const Trip*> unclassified;
    for (const ChainStep& step : chain.steps) {
        if (!period.Contains(step.time)) continue;
        if (step.unrecorded) {
            LogRow row;
            row.kind = LogRow::Kind::Unrecorded;
            row.time = row.endTime = step.time;
            row.dateText = DateWeekdayText(step.time);
            row.startTimeText = row.endTimeText = ClockText(step.time);
            row.beforeKm = TenthsToKm(step.beforeTenths);
            row.afterKm = TenthsToKm(step.afterTenths());
            row.distanceKm = TenthsToKm(step.distanceTenths);
            row.note = std::string(kUnrecordedNote);
            writer.Add(std::move(row), step.distanceTenths, 0, 0);
            continue;
        }
        const Trip& trip = trips[step.tripIndex];
        LogRow row = TripRow(car, trip, step);
        row.editedAfterPeriod = edited.count(trip.id) != 0;
        const int64_t commute = trip.use == Use::Commute ? step.distanceTenths : 0;
        const int64_t business = trip.use == Use::Business ? step.distanceTenths : 0;
        writer.Add(std::move(row), step.distanceTenths, commute, business);
        ++log.totals.tripCount;
        if (trip.use == Use::Unclassified) {
            unclassified.push_back(&trip);
            log.unclassifiedTripIds.push_back(trip.id);
        }
    }
    writer.Finish();
    log.totals.unclassifiedCount = static_cast<int>(unclassified.size());

    if (!unclassified.empty()) {
        std::string text = Format("분류되지 않은 주행 %zu건:", unclassified.size());
        for (size_t i = 0; i < unclassified.size() && i < kListedUnclassified; ++i) {
            text += Format("%s #%lld %s", i == 0 ? "" : ",", static_cast<long long>(unclassified[i]->id),
                           MinuteText(unclassified[i]->startTime).c_str());
        }
        if (unclassified.size() > kListedUnclassified) {
            text += Format(" 외 %zu건", unclassified.size() - kListedUnclassified);
        }
        log.warnings.push_back(std::move(text));
    }
    for (const BelowChain& b : chain.below) {
        if (b.reading.time >= period.to) continue;
        log.warnings.push_back(Format("주행거리계 기록 %s %.1f km가 누적 주행거리 %.1f km보다 작습니다",
                                      MinuteText(b.reading.time).c_str(), b.reading.km, TenthsToKm(b.chainTenths)));
    }
    return log;
}

RefundRecord BuildRefundRecord(const Car& car, std::span<const Trip> trips, const Period& period,
                               double economyKmPerLitre, double pricePerLitre) {
    RefundRecord out;
    out.car = car;
    out.period = period;
    out.periodFromText = DateText(period.from);
    out.periodToText = DateText(period.to - 1);
    out.economyKmPerLitre = economyKmPerLitre;
    out.pricePerLitre = pricePerLitre;
    for (const Trip& trip : trips) {
        if (trip.use != Use::Business || !period.Contains(trip.startTime)) continue;
        RefundEntry e;
        e.tripId = trip.id;
        e.startText = MinuteText(trip.startTime);
        e.endText = MinuteText(trip.endTime);
        e.startAddress = trip.startAddress;
        e.endAddress = trip.endAddress;
        e.distanceKm = trip.distanceM / 1000.0;
        e.purpose = trip.purpose;
        e.use = trip.use;
        out.totalKm += e.distanceKm;
        out.entries.push_back(std::move(e));
    }
    out.amountWon = economyKmPerLitre != 0.0 ? pricePerLitre * out.totalKm / economyKmPerLitre : 0.0;
    return out;
}

}  // namespace ml::ledger
