// The text helpers every statement, file and request is made with: printf's
// forms in the C conventions, whatever locale the process runs under, and
// numbers as people type them.
#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "core/MapStatements.h"
#include "core/ReportStatements.h"
#include "core/TextFormat.h"
#include "core/TrackBuilder.h"
#include "store/GeocodeReply.h"
#include "tests/support/TestSupport.h"

namespace ml {
namespace {

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Printf(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// Each case as Format writes it and as the C library's printf does in the
// locale in force.
std::vector<std::pair<std::string, std::string>> FormatCases() {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<std::pair<std::string, std::string>> out;
#define ML_CASE(...) out.emplace_back(Format(__VA_ARGS__), Printf(__VA_ARGS__))
    ML_CASE("%f|%.03f Km|%.09lf|%lf", 12.3456, 12.3456, 37.5, -127.25);
    ML_CASE("%-9.6f|%-9.2f|%.0lf|%.2lf|%10.3f|%+f|% f|%010.2f|%-10.1f|", 1.5, 2.25, 2.5, 0.125, -3.14159, 1.0, 2.0,
            -4.5, 7.25);
    ML_CASE("%g|%.9g|%e|%E|%G|%.3e|%a|%#.0f", 1e-5, 37.123456789, 12345.678, 0.00012, 1e21, 9.87654, 1.0, 3.0);
    ML_CASE("%f|%f|%5.1f|%05.1f|%F|%f|%.1f", nan, -inf, inf, -nan, inf, -0.0, 1e300);
    ML_CASE("%d|%02d|%04d|%-8d|%+d|% d|%.3d|%5.3d|%i|%.0d|", 7, 3, 2026, -42, 5, 6, 7, -8, INT_MIN, 0);
    ML_CASE("%x|%X|%02X|%-8x|%-8lx|%#x|%o|%#o|%-2x|", 255u, 0xabcu, 5u, 0x3du, 0x8800003dul, 255u, 8u, 8u, 1u);
    ML_CASE("%zu|%ld|%lu|%lld|%llu|%hhd|%hu|%u", size_t{123}, -5l, 6ul, LLONG_MIN, ULLONG_MAX, 300, 70000, 4000000000u);
    ML_CASE("%s|%10s|%-8s|%.3s|%c|%%|%*d|%-*d|%.*f", "위도", "SID", "OVP", "abcdef", 'x', 4, 1, 4, 1, 2, 3.14159);
#undef ML_CASE
    return out;
}

// What the core writes with numbers in it: the format cases, statements,
// requests, labels.
std::vector<std::string> CoreTexts() {
    std::vector<std::string> out;
    for (const auto& [format, printf] : FormatCases()) out.push_back(format);
    FixList fixes(2);
    fixes[0].time = 1000;
    fixes[1].time = 1010;
    fixes[0].latitude = 37.5f;
    fixes[1].latitude = 37.6f;
    fixes[0].longitude = fixes[1].longitude = 127.25f;
    out.push_back(PushRawPathStatement(0, fixes));
    out.push_back(BuildGeocodeUrl("http://h", "k", 37.5, 127.25));
    TrackList tracks;
    BuildTracks(fixes, tracks, {});
    out.push_back(tracks.at(0).distanceText + tracks[0].startPositionText);
    ReportRow row;
    row.ticked = true;
    row.distance = "12.500 Km";
    Settings settings;
    settings.carMaterNum = "48210.5";
    settings.carMileage = "9.8";
    settings.oilBill = "1459";
    for (const auto& statements : {LogReportStatements({row}, settings), RefundReportStatements({row}, settings)}) {
        out.insert(out.end(), statements.begin(), statements.end());
    }
    out.push_back(
        Format("%.17g %d %.17g", LeadingDouble(" 9.8 Km"), LeadingInt("90s"), ParseTypedNumber("9,8").value_or(0)));
    out.push_back(PlainNumberText(9.8));
    return out;
}

TEST(Format, WritesWhatPrintfWritesInTheCLocale) {
    for (const auto& [format, printf] : FormatCases()) EXPECT_EQ(format, printf);
}

TEST(Format, TextsKeepTheCConventionsUnderADecimalCommaLocale) {
    const auto texts = CoreTexts();
    test::ScopedDecimalCommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << comma.why();
    ASSERT_EQ(Printf("%.1f", 1.5), "1,5");  // the locale is in force
    EXPECT_EQ(CoreTexts(), texts);
}

TEST(LeadingNumbers, ReadAsStrtodAndAtoiDoInTheCLocale) {
    const std::pair<const char*, double> doubles[] = {{"  12.500 Km", 12.5}, {"+3", 3},  {"-2.5e1x", -25},
                                                      {"1,459", 1},          {"abc", 0}, {"1e999", 0}};
    for (const auto& [text, value] : doubles) EXPECT_EQ(LeadingDouble(text), value) << text;
    const std::pair<const char*, int> ints[] = {{" -7s", -7}, {"+5", 5}, {"abc", 0}, {"-99999999999", INT_MIN}};
    for (const auto& [text, value] : ints) EXPECT_EQ(LeadingInt(text), value) << text;
}

TEST(ParseTypedNumber, AcceptsGroupingAndADecimalCommaAndNothingElse) {
    const std::pair<const char*, double> numbers[] = {{"1459", 1459},      {"1,459", 1459},
                                                      {" 9,8 ", 9.8},      {"9.8", 9.8},
                                                      {"48,210", 48210},   {"1.234.567", 1234567},
                                                      {"1.459,5", 1459.5}, {"1,459.5", 1459.5},
                                                      {"1 459", 1459},     {"1'459", 1459},
                                                      {"0,500", 0.5},      {"1234,567", 1234.567},
                                                      {"1.459", 1.459},    {"12 345 678,9", 12345678.9}};
    for (const auto& [text, value] : numbers) EXPECT_EQ(ParseTypedNumber(text), value) << text;
    for (const char* text : {"", " ", "abc", "9,8 km", "-5", "+5", "1e5", "nan", "inf", "1,2,3", "12,34,567", "1..2",
                             "9.", ",5", "1,459,5", "1.5.5", "1234,567,890", "1,234.567.8", "١٢"}) {
        EXPECT_FALSE(ParseTypedNumber(text)) << text;
    }
    EXPECT_EQ(PlainNumberText(1459), "1459");
    EXPECT_EQ(PlainNumberText(9.8), "9.8");
    EXPECT_EQ(PlainNumberText(1e21), "1000000000000000000000");
}

}  // namespace
}  // namespace ml
