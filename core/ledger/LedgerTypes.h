#pragma once
// The year ledger's records: one car, the fixes ever imported for it, the
// downloads they came from, the trips cut from them with their
// classification, the odometer readings typed by the user and the history of
// every edit. Plain values; the storage engines (store/ledger) only keep and
// fetch them, the rules that combine them live beside this header.
//
// Times are seconds since 1970-01-01 00:00:00 UTC (64-bit, so no year-2038
// edge inside the ledger); texts are UTF-8.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ml::ledger {

// How a trip counts on the official log. Private driving counts in the
// driven distance (⑦, ⑪) only; unclassified trips print with empty ⑧/⑨ and
// are listed in a warning.
enum class Use { Unclassified, Commute, Business, Private };

// "", "출퇴근용", "일반업무용", "비업무용".
std::string_view UseText(Use use);
// The three texts above (and "" for unclassified); nullopt for anything else.
std::optional<Use> ParseUse(std::string_view text);

// The header the log is printed with: a corporation's (사업연도, 법인명) or
// an individual business's (과세기간, 상호명).
enum class FormVariant { Corporate, Individual };
std::string_view FormVariantText(FormVariant form);  // "법인" / "개인"
std::optional<FormVariant> ParseFormVariant(std::string_view text);

struct MonthDay {
    int month = 1;  // 1-12
    int day = 1;    // 1-31, valid for the month (29 February is refused)
    bool operator==(const MonthDay&) const = default;
};

struct Car {
    int64_t id = 0;       // the store's key; 0 until stored
    std::string regNo;    // 자동차등록번호: how users name a car
    std::string kind;     // 차종
    std::string company;  // 법인명 / 상호명
    std::string bizNo;    // 사업자등록번호
    std::string dept;     // 부서 of the car's usual driver
    std::string name;     // 성명 of the car's usual driver
    FormVariant form = FormVariant::Corporate;
    MonthDay yearStart;         // first day of the business year (local time)
    int32_t cutSeconds = 60;    // gap that starts a new trip
    double baseOdometerKm = 0;  // the odometer before the first trip, until a reading says more
    bool operator==(const Car&) const = default;
};

// One stored fix: unique per car and time.
struct LedgerFix {
    int64_t time = 0;
    float latitude = 0.0f;
    float longitude = 0.0f;
    float speed = 0.0f;   // km/h
    float height = 0.0f;  // metres
    bool operator==(const LedgerFix&) const = default;
};

// Where a download's bytes came from.
enum class DownloadKind { MtkImage, PhlxRecords, TrackFile, FixCsv };

struct Download {
    int64_t id = 0;
    int64_t carId = 0;
    int64_t at = 0;      // when it was imported (UTC)
    std::string source;  // port or file path as the user named it
    DownloadKind kind = DownloadKind::MtkImage;
    int64_t fixCount = 0;      // fixes it held
    int64_t addedCount = 0;    // of those, new to the ledger
    bool partial = false;      // cut short; kept, never cut into trips unless asked
    std::vector<uint8_t> raw;  // the bytes as received
    std::string loggerId;      // which logger it came from; "" while unknown
    std::string detail;        // what reading `raw` again needs beyond its kind (PHLX: the time base)
    int64_t firstTime = 0;     // time span of its fixes (0, 0 when it held none)
    int64_t lastTime = 0;
};

// A PHLX log (one entry of the logger's history) whose records the ledger
// keeps in the raw bytes of a download.
struct KeptLog {
    uint32_t index = 0;        // the log's index and record count, as the
    uint32_t count = 0;        // logger's history names it
    int64_t downloadId = 0;    // where its records are
    uint32_t firstRecord = 0;  // in that download's raw bytes, in records
    uint32_t records = 0;      // how many came (more than `count` when the logger overran)
    bool imported = false;     // its fixes are in the ledger, not only its bytes
    int64_t firstTime = 0;     // time span of its fixes
    int64_t lastTime = 0;
    bool operator==(const KeptLog&) const = default;
};

// What the ledger knows of one logger's memory, brought up to date by every
// download of it, complete or cut short: an MTK logger's memory from
// address 0 as far as read, the PHLX logs read whole.
struct LoggerMemory {
    int64_t carId = 0;
    std::string loggerId;
    DownloadKind kind = DownloadKind::MtkImage;
    int64_t downloadId = 0;  // the download that last changed it
    int64_t changedAt = 0;
    std::vector<uint8_t> image;  // MTK
    int64_t importedBytes = 0;   // MTK: leading bytes of `image` whose fixes are in the ledger
    std::vector<KeptLog> logs;   // PHLX, in the order read
    bool operator==(const LoggerMemory&) const = default;
};

// The logs as stored: one "index count download first-record records
// imported first-time last-time" line each. nullopt for a damaged text.
std::string FormatKeptLogs(const std::vector<KeptLog>& logs);
std::optional<std::vector<KeptLog>> ParseKeptLogs(std::string_view text);

struct Trip {
    int64_t id = 0;
    int64_t carId = 0;
    int64_t startTime = 0;  // first fix; a rebuilt trip that starts here keeps its classification
    int64_t endTime = 0;    // last fix
    int64_t fixCount = 0;
    double distanceM = 0;  // WGS 84 step sum between its own fixes
    float startLatitude = 0, startLongitude = 0, endLatitude = 0, endLongitude = 0;
    std::string startAddress, endAddress;
    Use use = Use::Unclassified;
    std::string purpose;     // 운행목적
    std::string note;        // 비고
    std::string driverDept;  // empty: the car's
    std::string driverName;  // empty: the car's
    bool operator==(const Trip&) const = default;
};

struct OdometerReading {
    int64_t id = 0;
    int64_t carId = 0;
    int64_t time = 0;
    double km = 0;
    std::string note;
    bool operator==(const OdometerReading&) const = default;
};

// One change, as the history lists it. Fields: "use", "purpose", "note",
// "driver" (as "부서/성명"), "reading" (added: old empty; removed: new
// empty), "trip" (a classified trip that a rebuild merged away), "car",
// "role" (a database role allowed the car: granted: old empty; revoked:
// new empty).
struct HistoryEntry {
    int64_t id = 0;
    int64_t carId = 0;
    int64_t at = 0;         // when (UTC)
    int64_t tripId = 0;     // 0 when not about a trip
    int64_t tripStart = 0;  // the trip's start, so the entry reads without the trip
    std::string field;
    std::string oldValue;
    std::string newValue;
    std::string by;  // who made it (user or database role)
    bool operator==(const HistoryEntry&) const = default;
};

// [from, to) in UTC seconds.
struct Period {
    int64_t from = 0;
    int64_t to = 0;
    bool Contains(int64_t t) const { return t >= from && t < to; }
};

}  // namespace ml::ledger
