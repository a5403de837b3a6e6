#include <gtest/gtest.h>

#include <array>
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
    return FixRecord{time, lat, lon, speed, height, 0.0f};
}

// Random 32-bit patterns as floats, only what a fix CSV may hold.
FixList RandomFixes(size_t count) {
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
            } while (!(std::fabs(*fields[k]) <= limits[k]));
        }
        fixes.push_back(f);
    }
    return fixes;
}

// The header, then each fix's time and four floats as printf's %.9g (the
// distance is not written), also when handed over in pieces; read back,
// every float comes back bit for bit.
TEST(FixCsvFormat, IsByteForBytePrintfWithNineSignificantDigitsAndReadsBackBitForBit) {
    FixList fixes = RandomFixes(5000);
    fixes.push_back(
        Fix(std::numeric_limits<int32_t>::min(), 90.0f, -180.0f, std::numeric_limits<float>::denorm_min(), -0.0f));
    FixList written = fixes;
    written.push_back(Fix(0, NAN, -NAN, INFINITY, -INFINITY));
    std::string expected(kFixCsvHeader);
    expected += '\n';
    for (const FixRecord& f : written) {
        char line[160];
        std::snprintf(line, sizeof line, "%d,%.9g,%.9g,%.9g,%.9g\n", f.time, double{f.latitude}, double{f.longitude},
                      double{f.speed}, double{f.height});
        expected += line;
    }
    EXPECT_EQ(FormatFixCsv(written), expected);
    // A small buffer hands the same text over in pieces.
    std::string pieces;
    FixCsvWriter writer(
        [&](std::string_view part) {
            pieces += part;
            return true;
        },
        1);
    EXPECT_TRUE(writer.Add(written) && writer.Finish());
    EXPECT_EQ(pieces, expected);

    FixList back;
    std::string error;
    ASSERT_TRUE(ParseFixCsv(FormatFixCsv(fixes), back, error)) << error;
    ASSERT_EQ(back.size(), fixes.size());
    using Bits = std::array<uint32_t, 6>;
    for (size_t i = 0; i < fixes.size(); ++i) {
        ASSERT_EQ(std::bit_cast<Bits>(back[i]), std::bit_cast<Bits>(fixes[i])) << "fix " << i;
    }
}

// A text either parses (shown as the CSV the fixes give again) or is refused
// with a message naming the line, leaving the list alone.
TEST(FixCsvParse, ToleratesCrLfBlanksAndNoFinalNewlineAndNamesTheLineOfAnError) {
    const std::string head = "time,latitude,longitude,speed,height\n";
    const std::pair<std::string, std::string> texts[] = {
        {"time,latitude,longitude,speed,height\r\n 5 , 1.5,+2.5 ,3,4\r\n\r\n6,1,2,3,4",
         head + "5,1.5,2.5,3,4\n6,1,2,3,4\n"},
        {"", "line 1: expected the header 'time,latitude,longitude,speed,height'"},
        {"1,2,3,4,5\n", "line 1: expected the header 'time,latitude,longitude,speed,height'"},
        {head + "1,2,3,4,5\n1,2,3,4\n", "line 3: expected 5 fields, found 4"},
        {head + "1,2,3,4,5,6\n", "line 2: expected 5 fields, found 6"},
        {head + "1.5,2,3,4,5\n", "line 2: time '1.5' is not a 32-bit integer"},
        {head + "2147483648,2,3,4,5\n", "line 2: time '2147483648' is not a 32-bit integer"},
        {head + "1,2,x3,4,5\n", "line 2: longitude 'x3' is not a number"},
        {head + "1,2,3,,5\n", "line 2: speed '' is not a number"},
        {head + "1,2,3,4,1e99\n", "line 2: height '1e99' is not a number"},
        {head + "1,nan,3,4,5\n", "line 2: latitude 'nan' is not a finite number"},
        {head + "1,2,3,-inf,5\n", "line 2: speed '-inf' is not a finite number"},
        {head + "1,90.01,3,4,5\n", "line 2: latitude '90.01' is outside -90..90"},
        {head + "1,2,-180.5,4,5\n", "line 2: longitude '-180.5' is outside -180..180"}};
    for (const auto& [text, expected] : texts) {
        FixList fixes{Fix(1, 2, 3, 4, 5)};
        std::string error;
        const bool parsed = ParseFixCsv(text, fixes, error);
        EXPECT_EQ(parsed ? FormatFixCsv(FixList(fixes.begin() + 1, fixes.end())) : error, expected);
        if (!parsed) {
            EXPECT_EQ(fixes.size(), 1u) << expected;
        }
    }
}

}  // namespace
}  // namespace ml
