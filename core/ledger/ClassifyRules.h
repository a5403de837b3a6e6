#pragma once
// Classification rules: the routine trips of a car classify themselves.
//
// Named places (자택, 회사, a customer) are points with a radius; a trip
// starts or ends at the nearest place whose circle holds its first or last
// fix. Rules are tried in order and the first that matches decides: it gives
// a use and a purpose, or says "leave it unclassified" (which stops the
// search, so a rule such as "outside working hours: leave" can shield the
// ones below it). A rule never gives 비업무용: private driving is the user's
// word, never a guess. Rules only ever fill trips that are unclassified;
// ClassifyByRules says what to change, the caller writes it with its
// history.
//
// The set is shared by the whole ledger (every PC of a company sees the
// same), so it is stored as one document (RuleSetText / ParseRuleSet). A
// place may belong to one car (the driver's 자택); a rule naming a place
// takes the car's own place of that name before one for every car.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ledger/LedgerTypes.h"

namespace ml::ledger {

inline constexpr double kDefaultPlaceRadiusM = 200.0;

struct NamedPlace {
    std::string name;
    double latitude = 0;
    double longitude = 0;
    double radiusM = kDefaultPlaceRadiusM;
    std::string regNo;  // the car it belongs to; empty: every car
    bool operator==(const NamedPlace&) const = default;
};

struct WorkHours {
    int startMinute = 9 * 60;  // local time of day, [start, end)
    int endMinute = 18 * 60;
    // Bit d set: weekday d is a working day (0 = Sunday). Monday to Friday.
    uint8_t days = 0b0111110;
    bool operator==(const WorkHours&) const = default;
};

// Where a trip must start and end for a rule.
enum class RulePlaces {
    Any,          // every trip
    Between,      // from A to B or from B to A
    StartsOrEnds  // starts or ends at A
};

// When the trip must start for a rule.
enum class RuleTime { Always, WorkingDays, WorkingHours, OutsideWorkingHours };

struct ClassifyRule {
    RulePlaces places = RulePlaces::Any;
    std::string placeA, placeB;
    RuleTime time = RuleTime::Always;
    Use use = Use::Unclassified;  // Unclassified: leave the trip unclassified
    std::string purpose;          // given when the trip has none
    bool operator==(const ClassifyRule&) const = default;
};

struct RuleSet {
    std::vector<NamedPlace> places;
    WorkHours hours;
    std::vector<ClassifyRule> rules;
    bool operator==(const RuleSet&) const = default;
};

// "자택 ↔ 회사, 근무일 → 출퇴근용"
std::string RuleText(const ClassifyRule& rule);
std::string_view RulePlacesText(RulePlaces places);  // "모든 주행", "두 장소 사이", "출발 또는 도착"
std::string_view RuleTimeText(RuleTime time);        // "언제나", "근무일", "근무 시간", "근무 시간 외"
std::string_view RuleUseText(Use use);               // "출퇴근용", "일반업무용", "미분류로 둠"

// Empty when the set can be stored; else the first problem, for the user.
std::string CheckRuleSet(const RuleSet& set);

// The places that count for the car: its own, then those for every car
// whose names it does not have.
std::vector<NamedPlace> PlacesForCar(const RuleSet& set, std::string_view regNo);
// Metres between two points on the sphere of the earth's mean radius.
double GroundDistanceM(double lat1, double lon1, double lat2, double lon2);
// The nearest place whose circle holds the point; null when none does.
const NamedPlace* PlaceAt(std::span<const NamedPlace> places, double latitude, double longitude);

// Trips that start or end at a place show its name instead of the geocoded
// address (table, log, exports).
void NameTripEnds(std::span<Trip> trips, std::span<const NamedPlace> places);

struct RuleMatch {
    size_t rule = 0;  // index into the set's rules
    Use use = Use::Unclassified;
    std::string purpose;
};
// The first rule that matches the trip (`places`: PlacesForCar).
std::optional<RuleMatch> MatchRule(const RuleSet& set, std::span<const NamedPlace> places, const Trip& trip);

// What the rules change on an unclassified trip: the use, and the purpose
// when the trip has none. Nothing for a trip that has a use, or when no rule
// gives one.
struct RuleOutcome {
    RuleMatch match;
    Use use = Use::Unclassified;
    std::optional<std::string> purpose;
};
std::optional<RuleOutcome> ClassifyByRules(const RuleSet& set, std::span<const NamedPlace> places, const Trip& trip);

// The stored form (JSON). Parsing refuses what it cannot read whole, and a
// set written by a newer program.
std::string RuleSetText(const RuleSet& set);
bool ParseRuleSet(std::string_view text, RuleSet& set, std::string& error);

}  // namespace ml::ledger
