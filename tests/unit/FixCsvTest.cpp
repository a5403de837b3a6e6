#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>

#include "core/FixCsv.h"

namespace ml {
namespace {

FixRecord Fix(int32_t time, float lat, float lon, float speed, float height) {
    FixRecord f;
    f.time = time;
    f.latitude = lat;
    f.longitude = lon;
    f.speed = speed;
    f.height = height;
    return f;
}

TEST(FixCsvFormat, HeaderThenOneLinePerFixWithNineSignificantDigits) {
    FixList fixes{Fix(1238231612, 49.8816338f, 8.07985401f, 1.8f, 206.972656f),
                  Fix(-7, -33.5f, -70.25f, 0.0f, -12.0f)};
    fixes[1].distance = 1234.0f;  // not part of the format
    EXPECT_EQ(FormatFixCsv(fixes),
              "time,latitude,longitude,speed,height\n"
              "1238231612,49.8816338,8.07985401,1.79999995,206.972656\n"
              "-7,-33.5,-70.25,0,-12\n");
    EXPECT_EQ(FormatFixCsv({}), "time,latitude,longitude,speed,height\n");
}

// Random 32-bit patterns as floats; `valid` keeps only what a fix CSV may hold.
FixList RandomFixes(size_t count, bool valid) {
    std::mt19937 random(42);
    std::uniform_int_distribution<uint32_t> bits;
    FixList fixes;
    for (size_t i = 0; i < count; ++i) {
        FixRecord f;
        f.time = static_cast<int32_t>(bits(random));
        float* fields[] = {&f.latitude, &f.longitude, &f.speed, &f.height};
        const float limits[] = {90.0f, 180.0f, INFINITY, INFINITY};
        for (size_t k = 0; k < 4; ++k) {
            do {
                *fields[k] = std::bit_cast<float>(bits(random));
            } while (valid && !(std::fabs(*fields[k]) <= limits[k]));
        }
        fixes.push_back(f);
    }
    return fixes;
}

TEST(FixCsvFormat, IsByteForBytePrintfWithNineSignificantDigits) {
    FixList fixes = RandomFixes(20000, false);
    fixes.push_back(Fix(0, NAN, -NAN, INFINITY, -INFINITY));
    std::string expected(kFixCsvHeader);
    expected += '\n';
    for (const FixRecord& f : fixes) {
        char line[160];
        std::snprintf(line, sizeof line, "%d,%.9g,%.9g,%.9g,%.9g\n", f.time, double{f.latitude},
                      double{f.longitude}, double{f.speed}, double{f.height});
        expected += line;
    }
    EXPECT_EQ(FormatFixCsv(fixes), expected);
    // A small buffer hands the same text over in pieces.
    std::string pieces;
    FixCsvWriter writer([&](std::string_view part) { pieces += part; return true; }, 1);
    EXPECT_TRUE(writer.Add(fixes) && writer.Finish());
    EXPECT_EQ(pieces, expected);
}

TEST(FixCsvRoundTrip, EveryFloatComesBackBitForBit) {
    FixList fixes = RandomFixes(2000, true);
    fixes.push_back(Fix(std::numeric_limits<int32_t>::min(), 90.0f, -180.0f,
                        std::numeric_limits<float>::denorm_min(), -0.0f));
    FixList back;
    std::string error;
    ASSERT_TRUE(ParseFixCsv(FormatFixCsv(fixes), back, error)) << error;
    ASSERT_EQ(back.size(), fixes.size());
    for (size_t i = 0; i < fixes.size(); ++i) {
        ASSERT_EQ(back[i].time, fixes[i].time) << "fix " << i;
        const float* const got[] = {&back[i].latitude, &back[i].longitude, &back[i].speed, &back[i].height};
        const float* const want[] = {&fixes[i].latitude, &fixes[i].longitude, &fixes[i].speed, &fixes[i].height};
        for (size_t k = 0; k < 4; ++k) {
            ASSERT_EQ(std::bit_cast<uint32_t>(*got[k]), std::bit_cast<uint32_t>(*want[k])) << "fix " << i;
        }
    }
}

TEST(FixCsvParse, ToleratesCrLfBlanksAndAMissingFinalNewline) {
    FixList fixes;
    std::string error;
    ASSERT_TRUE(ParseFixCsv("time,latitude,longitude,speed,height\r\n"
                            " 5 , 1.5,+2.5 ,3,4\r\n"
                            "\r\n"
                            "6,1,2,3,4",
                            fixes, error))
        << error;
    ASSERT_EQ(fixes.size(), 2u);
    EXPECT_EQ(fixes[0].time, 5);
    EXPECT_EQ(fixes[0].longitude, 2.5f);
    EXPECT_EQ(fixes[1].time, 6);
    EXPECT_EQ(fixes[1].distance, 0.0f);
}

struct BadCsv {
    const char* text;
    const char* error;
};

class FixCsvErrors : public ::testing::TestWithParam<BadCsv> {};

TEST_P(FixCsvErrors, NameTheLineAndLeaveTheListAlone) {
    FixList fixes{Fix(1, 2, 3, 4, 5)};
    std::string error;
    EXPECT_FALSE(ParseFixCsv(GetParam().text, fixes, error));
    EXPECT_EQ(error, GetParam().error);
    EXPECT_EQ(fixes.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FixCsvErrors,
    ::testing::Values(
        BadCsv{"", "line 1: expected the header 'time,latitude,longitude,speed,height'"},
        BadCsv{"1,2,3,4,5\n", "line 1: expected the header 'time,latitude,longitude,speed,height'"},
        BadCsv{"time,latitude,longitude,speed,height\n1,2,3,4,5\n1,2,3,4\n",
               "line 3: expected 5 fields, found 4"},
        BadCsv{"time,latitude,longitude,speed,height\n1,2,3,4,5,6\n", "line 2: expected 5 fields, found 6"},
        BadCsv{"time,latitude,longitude,speed,height\n1.5,2,3,4,5\n",
               "line 2: time '1.5' is not a 32-bit integer"},
        BadCsv{"time,latitude,longitude,speed,height\n2147483648,2,3,4,5\n",
               "line 2: time '2147483648' is not a 32-bit integer"},
        BadCsv{"time,latitude,longitude,speed,height\n1,2,x3,4,5\n", "line 2: longitude 'x3' is not a number"},
        BadCsv{"time,latitude,longitude,speed,height\n1,2,3,,5\n", "line 2: speed '' is not a number"},
        BadCsv{"time,latitude,longitude,speed,height\n1,2,3,4,1e99\n", "line 2: height '1e99' is not a number"},
        BadCsv{"time,latitude,longitude,speed,height\n1,nan,3,4,5\n", "line 2: latitude 'nan' is not a finite number"},
        BadCsv{"time,latitude,longitude,speed,height\n1,2,3,-inf,5\n", "line 2: speed '-inf' is not a finite number"},
        BadCsv{"time,latitude,longitude,speed,height\n1,90.01,3,4,5\n", "line 2: latitude '90.01' is outside -90..90"},
        BadCsv{"time,latitude,longitude,speed,height\n1,2,-180.5,4,5\n", "line 2: longitude '-180.5' is outside -180..180"}));

}  // namespace
}  // namespace ml
