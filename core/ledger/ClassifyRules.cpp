#include "core/ledger/ClassifyRules.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "core/TextFormat.h"
#include "core/ledger/LedgerCalendar.h"

namespace ml::ledger {

namespace {

using Json = nlohmann::json;

// The document's format; a newer one is refused rather than half read.
constexpr int kFormat = 1;

constexpr const char* kPlacesKeys[] = {"any", "between", "touches"};
constexpr const char* kTimeKeys[] = {"always", "workdays", "workhours", "offhours"};

bool InWorkingHours(const WorkHours& hours, const CivilTime& t) {
    const int minute = t.hour * 60 + t.minute;
    return ((hours.days >> t.weekday) & 1) != 0 && minute >= hours.startMinute && minute < hours.endMinute;
}

bool TimeMatches(RuleTime time, const WorkHours& hours, int64_t start) {
    const CivilTime t = ToCivil(start);
    switch (time) {
        case RuleTime::Always: return true;
        case RuleTime::WorkingDays: return ((hours.days >> t.weekday) & 1) != 0;
        case RuleTime::WorkingHours: return InWorkingHours(hours, t);
        case RuleTime::OutsideWorkingHours: return !InWorkingHours(hours, t);
    }
    return false;
}

std::string ClockOf(int minute) { return Format("%02d:%02d", minute / 60, minute % 60); }

std::optional<int> MinuteOf(const std::string& text) {
    int h = 0, m = 0;
    if (text.size() != 5 || text[2] != ':') return std::nullopt;
    for (size_t i : {0u, 1u, 3u, 4u}) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
    }
    h = (text[0] - '0') * 10 + (text[1] - '0');
    m = (text[3] - '0') * 10 + (text[4] - '0');
    if (h > 24 || m > 59 || (h == 24 && m != 0)) return std::nullopt;
    return h * 60 + m;
}

template <size_t N>
int KeyIndex(const char* const (&keys)[N], const std::string& key) {
    for (size_t i = 0; i < N; ++i) {
        if (key == keys[i]) return static_cast<int>(i);
    }
    return -1;
}

// Typed reads that never throw: a member of the wrong type is an error.
class Reader {
public:
    std::string error;

    std::string Text(const Json& object, const char* key, std::string fallback = {}) {
        const auto it = object.find(key);
        if (it == object.end()) return fallback;
        if (!it->is_string()) return Fail(key), fallback;
        return it->get<std::string>();
    }
    double Number(const Json& object, const char* key, double fallback) {
        const auto it = object.find(key);
        if (it == object.end()) return fallback;
        if (!it->is_number() || !std::isfinite(it->get<double>())) return Fail(key), fallback;
        return it->get<double>();
    }
    const Json* Array(const Json& object, const char* key) {
        const auto it = object.find(key);
        if (it == object.end()) return nullptr;
        if (!it->is_array()) return Fail(key), nullptr;
        return &*it;
    }
    void Fail(const std::string& what) {
        if (error.empty()) error = "분류 규칙을 읽을 수 없습니다 (" + what + ")";
    }
};

}  // namespace

std::string_view RulePlacesText(RulePlaces places) {
    switch (places) {
        case RulePlaces::Any: return "모든 주행";
        case RulePlaces::Between: return "두 장소 사이";
        case RulePlaces::StartsOrEnds: return "출발 또는 도착";
    }
    return "";
}

std::string_view RuleTimeText(RuleTime time) {
    switch (time) {
        case RuleTime::Always: return "언제나";
        case RuleTime::WorkingDays: return "근무일";
        case RuleTime::WorkingHours: return "근무 시간";
        case RuleTime::OutsideWorkingHours: return "근무 시간 외";
    }
    return "";
}

std::string_view RuleUseText(Use use) { return use == Use::Unclassified ? "미분류로 둠" : UseText(use); }

std::string RuleText(const ClassifyRule& rule) {
    std::string where;
    switch (rule.places) {
        case RulePlaces::Any: where = "모든 주행"; break;
        case RulePlaces::Between: where = rule.placeA + " ↔ " + rule.placeB; break;
        case RulePlaces::StartsOrEnds: where = rule.placeA + " 출발 또는 도착"; break;
    }
    if (rule.time != RuleTime::Always) where += ", " + std::string(RuleTimeText(rule.time));
    std::string text = where + " → " + std::string(RuleUseText(rule.use));
    if (rule.use != Use::Unclassified && !rule.purpose.empty()) text += " '" + rule.purpose + "'";
    return text;
}

std::string CheckRuleSet(const RuleSet& set) {
    for (size_t i = 0; i < set.places.size(); ++i) {
        const NamedPlace& p = set.places[i];
        if (p.name.empty()) return Format("장소 %zu의 이름이 비어 있습니다", i + 1);
        if (!(std::fabs(p.latitude) <= 90) || !(std::fabs(p.longitude) <= 180) ||
            (p.latitude == 0 && p.longitude == 0)) {
            return "장소 '" + p.name + "'의 위치가 올바르지 않습니다";
        }
        if (!(p.radiusM > 0 && p.radiusM <= 100000)) return "장소 '" + p.name + "'의 반경이 올바르지 않습니다";
        for (size_t j = 0; j < i; ++j) {
            if (set.places[j].name == p.name && set.places[j].regNo == p.regNo) {
                return "장소 '" + p.name + "'이(가) 두 번 있습니다";
            }
        }
    }
    const WorkHours& h = set.hours;
    if (h.startMinute < 0 || h.endMinute > 24 * 60 || h.startMinute >= h.endMinute || h.days > 0x7F) {
        return "근무 시간이 올바르지 않습니다";
    }
    auto known = [&set](const std::string& name) {
        for (const NamedPlace& p : set.places) {
            if (p.name == name) return true;
        }
        return false;
    };
    for (size_t i = 0; i < set.rules.size(); ++i) {
        const ClassifyRule& r = set.rules[i];
        if (r.use == Use::Private) return Format("규칙 %zu: 비업무용은 규칙으로 정하지 않습니다", i + 1);
        const bool needsA = r.places != RulePlaces::Any;
        const bool needsB = r.places == RulePlaces::Between;
        if (needsA && !known(r.placeA)) return Format("규칙 %zu: 장소 '%s'이(가) 없습니다", i + 1, r.placeA.c_str());
        if (needsB && !known(r.placeB)) return Format("규칙 %zu: 장소 '%s'이(가) 없습니다", i + 1, r.placeB.c_str());
    }
    return {};
}

std::vector<NamedPlace> PlacesForCar(const RuleSet& set, std::string_view regNo) {
    std::vector<NamedPlace> out;
    for (const NamedPlace& p : set.places) {
        if (!p.regNo.empty() && p.regNo == regNo) out.push_back(p);
    }
    for (const NamedPlace& p : set.places) {
        if (!p.regNo.empty()) continue;
        bool own = false;
        for (const NamedPlace& o : out) own = own || (!o.regNo.empty() && o.name == p.name);
        if (!own) out.push_back(p);
    }
    return out;
}

double GroundDistanceM(double lat1, double lon1, double lat2, double lon2) {
    constexpr double kRadius = 6371008.8;  // mean earth radius
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    const double dLat = (lat2 - lat1) * kRad;
    const double dLon = (lon2 - lon1) * kRad;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(lat1 * kRad) * std::cos(lat2 * kRad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kRadius * std::asin(std::sqrt(std::min(1.0, a)));
}

const NamedPlace* PlaceAt(std::span<const NamedPlace> places, double latitude, double longitude) {
    const NamedPlace* best = nullptr;
    double bestDistance = 0;
    for (const NamedPlace& p : places) {
        const double d = GroundDistanceM(latitude, longitude, p.latitude, p.longitude);
        if (d <= p.radiusM && (!best || d < bestDistance)) {
            best = &p;
            bestDistance = d;
        }
    }
    return best;
}

void NameTripEnds(std::span<Trip> trips, std::span<const NamedPlace> places) {
    if (places.empty()) return;
    for (Trip& t : trips) {
        if (const NamedPlace* p = PlaceAt(places, t.startLatitude, t.startLongitude)) t.startAddress = p->name;
        if (const NamedPlace* p = PlaceAt(places, t.endLatitude, t.endLongitude)) t.endAddress = p->name;
    }
}

std::optional<RuleMatch> MatchRule(const RuleSet& set, std::span<const NamedPlace> places, const Trip& trip) {
    const NamedPlace* from = PlaceAt(places, trip.startLatitude, trip.startLongitude);
    const NamedPlace* to = PlaceAt(places, trip.endLatitude, trip.endLongitude);
    auto is = [](const NamedPlace* p, const std::string& name) { return p && p->name == name; };
    for (size_t i = 0; i < set.rules.size(); ++i) {
        const ClassifyRule& r = set.rules[i];
        if (r.use == Use::Private || !TimeMatches(r.time, set.hours, trip.startTime)) continue;
        bool where = false;
        switch (r.places) {
            case RulePlaces::Any: where = true; break;
            case RulePlaces::Between:
                where = (is(from, r.placeA) && is(to, r.placeB)) || (is(from, r.placeB) && is(to, r.placeA));
                break;
            case RulePlaces::StartsOrEnds: where = is(from, r.placeA) || is(to, r.placeA); break;
        }
        if (where) return RuleMatch{i, r.use, r.purpose};
    }
    return std::nullopt;
}

std::optional<RuleOutcome> ClassifyByRules(const RuleSet& set, std::span<const NamedPlace> places, const Trip& trip) {
    if (trip.use != Use::Unclassified) return std::nullopt;
    const auto match = MatchRule(set, places, trip);
    if (!match || match->use == Use::Unclassified) return std::nullopt;
    RuleOutcome out{*match, match->use, std::nullopt};
    if (trip.purpose.empty() && !match->purpose.empty()) out.purpose = match->purpose;
    return out;
}

std::string RuleSetText(const RuleSet& set) {
    Json places = Json::array();
    for (const NamedPlace& p : set.places) {
        places.push_back(
            {{"name", p.name}, {"lat", p.latitude}, {"lon", p.longitude}, {"radius", p.radiusM}, {"car", p.regNo}});
    }
    Json days = Json::array();
    for (int d = 0; d < 7; ++d) {
        if ((set.hours.days >> d) & 1) days.push_back(d);
    }
    Json rules = Json::array();
    for (const ClassifyRule& r : set.rules) {
        rules.push_back({{"where", kPlacesKeys[static_cast<int>(r.places)]},
                         {"a", r.placeA},
                         {"b", r.placeB},
                         {"when", kTimeKeys[static_cast<int>(r.time)]},
                         {"use", std::string(UseText(r.use))},
                         {"purpose", r.purpose}});
    }
    const Json doc = {
        {"format", kFormat},
        {"places", places},
        {"work", {{"start", ClockOf(set.hours.startMinute)}, {"end", ClockOf(set.hours.endMinute)}, {"days", days}}},
        {"rules", rules}};
    // Invalid UTF-8 in a name is replaced rather than thrown at the caller.
    return doc.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool ParseRuleSet(std::string_view text, RuleSet& set, std::string& error) {
    const Json doc = Json::parse(text.begin(), text.end(), nullptr, false);
    Reader read;
    if (doc.is_discarded() || !doc.is_object()) {
        error = "분류 규칙을 읽을 수 없습니다 (JSON이 아닙니다)";
        return false;
    }
    if (read.Number(doc, "format", 0) > kFormat) {
        error = "더 새로운 프로그램이 저장한 분류 규칙입니다";
        return false;
    }
    RuleSet out;
    if (const Json* places = read.Array(doc, "places")) {
        for (const Json& p : *places) {
            if (!p.is_object()) {
                read.Fail("places");
                break;
            }
            out.places.push_back({read.Text(p, "name"), read.Number(p, "lat", 0), read.Number(p, "lon", 0),
                                  read.Number(p, "radius", kDefaultPlaceRadiusM), read.Text(p, "car")});
        }
    }
    if (const auto work = doc.find("work"); work != doc.end() && work->is_object()) {
        const auto start = MinuteOf(read.Text(*work, "start", "09:00"));
        const auto end = MinuteOf(read.Text(*work, "end", "18:00"));
        if (!start || !end) read.Fail("work");
        out.hours.startMinute = start.value_or(out.hours.startMinute);
        out.hours.endMinute = end.value_or(out.hours.endMinute);
        if (const Json* days = read.Array(*work, "days")) {
            out.hours.days = 0;
            for (const Json& d : *days) {
                if (!d.is_number_integer() || d.get<int>() < 0 || d.get<int>() > 6) {
                    read.Fail("days");
                    break;
                }
                out.hours.days = static_cast<uint8_t>(out.hours.days | (1u << d.get<int>()));
            }
        }
    }
    if (const Json* rules = read.Array(doc, "rules")) {
        for (const Json& r : *rules) {
            if (!r.is_object()) {
                read.Fail("rules");
                break;
            }
            ClassifyRule rule;
            const int where = KeyIndex(kPlacesKeys, read.Text(r, "where", "any"));
            const int when = KeyIndex(kTimeKeys, read.Text(r, "when", "always"));
            const auto use = ParseUse(read.Text(r, "use"));
            if (where < 0 || when < 0 || !use) read.Fail("rules");
            rule.places = static_cast<RulePlaces>(where < 0 ? 0 : where);
            rule.time = static_cast<RuleTime>(when < 0 ? 0 : when);
            rule.use = use.value_or(Use::Unclassified);
            rule.placeA = read.Text(r, "a");
            rule.placeB = read.Text(r, "b");
            rule.purpose = read.Text(r, "purpose");
            out.rules.push_back(std::move(rule));
        }
    }
    if (!read.error.empty()) {
        error = read.error;
        return false;
    }
    set = std::move(out);
    return true;
}

}  // namespace ml::ledger
