#pragma once
// A small official log built by hand, with one row of every kind: commuting,
// general business (edited after the period), driving only a reading shows,
// private driving, an unclassified trip of another driver, and the monthly
// subtotals.
#include "core/ledger/OfficialLog.h"

namespace ml::ledger {

inline Car SampleCar() {
    Car car;
    car.regNo = "12가3456";
    car.kind = "쏘나타";
    car.company = "(주)마일레저";
    car.bizNo = "123-45-67890";
    car.dept = "영업부";
    car.name = "홍길동";
    return car;
}

inline LogRow SampleRow(LogRow::Kind kind, const char* day, const char* start, double before, double km, Use use) {
    LogRow row;
    row.kind = kind;
    row.dateText = day;
    row.startTimeText = start;
    row.dept = "영업부";
    row.name = "홍길동";
    row.beforeKm = before;
    row.afterKm = before + km;
    row.distanceKm = km;
    row.use = use;
    if (use == Use::Commute) row.commuteKm = km;
    if (use == Use::Business) row.businessKm = km;
    return row;
}

inline OfficialLog SampleLog() {
    using K = LogRow::Kind;
    OfficialLog log;
    log.car = SampleCar();
    log.periodFromText = "2026-01-01";
    log.periodToText = "2026-12-31";
    LogRow commute = SampleRow(K::Trip, "2026-03-02(월)", "08:15", 48195.9, 27.4, Use::Commute);
    commute.tripId = 11;
    commute.endTimeText = "09:02";
    commute.purpose = "출근";
    commute.startAddress = "서울특별시 중구 세종대로 110";
    commute.endAddress = "경기도 성남시 분당구 판교역로 235";
    LogRow business = SampleRow(K::Trip, "2026-03-02(월)", "13:05", 48223.3, 1.9, Use::Business);
    business.tripId = 12;
    business.endTimeText = "13:14";
    business.purpose = "거래처 방문, \"A\"사";
    business.note = "주차비 별도";
    business.editedAfterPeriod = true;
    LogRow unrecorded = SampleRow(K::Unrecorded, "2026-03-03(화)", "07:00", 48225.2, 74.8, Use::Unclassified);
    unrecorded.dept.clear();
    unrecorded.name.clear();
    unrecorded.note = "기록되지 않은 주행";
    LogRow personal = SampleRow(K::Trip, "2026-03-03(화)", "18:00", 48300.0, 12.0, Use::Private);
    personal.tripId = 13;
    personal.purpose = "=개인";
    personal.endAddress = "집";
    LogRow march = SampleRow(K::MonthTotal, "2026-03", "", 0, 116.1, Use::Unclassified);
    march.commuteKm = 27.4;
    march.businessKm = 1.9;
    LogRow open = SampleRow(K::Trip, "2026-04-01(수)", "09:00", 48312.0, 5.5, Use::Unclassified);
    open.tripId = 14;
    open.dept = "기획부";
    open.name = "김철수";
    LogRow april = SampleRow(K::MonthTotal, "2026-04", "", 0, 5.5, Use::Unclassified);
    log.rows = {commute, business, unrecorded, personal, march, open, april};
    log.totals = {121.6, 27.4, 1.9, 29.3, 29.3 / 121.6 * 100.0, 4, 1};
    log.unclassifiedTripIds = {14};
    log.warnings = {"분류되지 않은 운행 1건: 2026-04-01 09:00"};
    return log;
}

inline RefundRecord SampleRefund() {
    RefundRecord refund;
    refund.car = SampleCar();
    refund.periodFromText = "2026-03-01";
    refund.periodToText = "2026-03-31";
    RefundEntry first;
    first.tripId = 12;
    first.startText = "2026-03-02 13:05";
    first.endText = "2026-03-02 13:14";
    first.startAddress = "경기도 성남시 분당구 판교역로 235";
    first.endAddress = "No Data";
    first.distanceKm = 1.9;
    first.purpose = "거래처 방문";
    RefundEntry second = first;
    second.tripId = 15;
    second.startText = "2026-03-05 10:00";
    second.endText = "2026-03-05 10:40";
    second.distanceKm = 6.6;
    refund.entries = {first, second};
    refund.totalKm = 8.5;
    refund.economyKmPerLitre = 11.5;
    refund.pricePerLitre = 1659;
    refund.amountWon = 1659 * 8.5 / 11.5;  // 1,226.2 won
    return refund;
}

}  // namespace ml::ledger
