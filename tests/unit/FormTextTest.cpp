#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "core/FormText.h"

namespace ml {
namespace {

struct Grouped {
    double value;
    int decimals;
    const char* text;
};

TEST(FormText, NumbersAreGroupedWithTheGivenDecimalsAndWonRoundedToWholeWon) {
    // The plain cases show in every form's statements.
    const Grouped cases[] = {{999.96, 1, "1,000.0"},
                             {0.0, 1, "0.0"},
                             {-0.04, 1, "0.0"},
                             {-1234.56, 1, "-1,234.6"},
                             {1234567.891, 2, "1,234,567.89"},
                             {100000.0, 0, "100,000"},
                             {std::nan(""), 1, "0.0"},
                             {std::numeric_limits<double>::infinity(), 1, "0.0"}};
    for (const Grouped& c : cases) EXPECT_EQ(GroupedText(c.value, c.decimals), c.text) << c.value;
    EXPECT_EQ(FixedText(48223.25, 3), "48223.250");
    EXPECT_EQ(KmText(12.345), "12.3");
    EXPECT_EQ(WonText(8666.67), "8,667원");
    EXPECT_EQ(WonText(0.5), "1원");
}

TEST(FormText, DaysCarryTheirKoreanWeekday) {
    const std::pair<const char*, const char*> cases[] = {{"2025-12-31", "2025-12-31(수)"},
                                                         {"2026-01-01T00:00:00Z", "2026-01-01(목) 00:00"},
                                                         {"2024-02-29 25:00", "2024-02-29(목)"},
                                                         {"2026-02-29 10:00", "2026-02-29 10:00"},
                                                         {"1969-12-31_23:59:59", "1969-12-31(수) 23:59"},
                                                         {"No Data", "No Data"},
                                                         {"2026-03-0", "2026-03-0"},
                                                         {"", ""}};
    for (const auto& [cell, shown] : cases) EXPECT_EQ(DayTimeText(cell), shown) << cell;
}

TEST(FormText, UtcTimesAndCivilDaysRoundTrip) {
    EXPECT_EQ(UtcIsoText(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(UtcIsoText(-1), "1969-12-31T23:59:59Z");
    for (int64_t days : {-719468LL, -1LL, 0LL, 20514LL, 2932896LL}) {
        const CivilDate d = CivilFromDays(days);
        EXPECT_EQ(DaysFromCivil(d), days);
    }
}

}  // namespace
}  // namespace ml
