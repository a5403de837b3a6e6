// The simulated TRL4200Mini logger where the exchange tests do not lean on it:
// requests the program never makes, erasing, its faults and its input file.
#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "protocol/PhlxPackageCheck.h"
#include "tools/loggersim/PhlxLoggerModel.h"
#include "tools/loggersim/SimSentence.h"

namespace ml::sim {
namespace {

PhlxLogbook TwoLogs() {
    PhlxLogbook book(2);
    book[0].index = 7;
    book[1].index = 9;
    for (uint32_t i = 0; i < 3; ++i) book[0].records.push_back({100 + i, 37.5f, 127.0f, 30, 40, i * 10});
    for (uint32_t i = 0; i < 5; ++i) book[1].records.push_back({200 + i, 37.4f, 127.1f, -5, 0, 3000000000u});
    return book;
}

std::string Cmd(const std::string& body) { return FrameSentence(body); }

std::span<const uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Field `index` of a single answered sentence.
std::string Field(const std::string& sentence, size_t index) {
    const auto fields = SplitFields(sentence.substr(1, sentence.find('*') - 1));
    return index < fields.size() ? fields[index] : std::string();
}

TEST(LoggerSimPhlx, RequestsTheExchangeNeverMakesDisconnectAndErase) {
    PhlxLoggerModel logger(TwoLogs(), {});
    EXPECT_EQ(Field(logger.Receive(Cmd("PHLX703,9,2")), 1), "64");  // fewer records than the log holds
    EXPECT_EQ(logger.Receive(Cmd("PHLX703,8,2")), "");              // no such log
    EXPECT_EQ(logger.Receive(Cmd("PHLX703,x")), "");
    EXPECT_EQ(logger.Receive("$PHLX827*31\r\n"), Cmd("PHLX860"));
    EXPECT_EQ(logger.Receive("$PHLX839*3F\r\n"), "");  // wrong checksum: not obeyed
    EXPECT_EQ(logger.logbook().size(), 2u);
    EXPECT_EQ(logger.Receive("$PHLX839*3E\r\n"), Cmd("PHLX900,839,3"));
    EXPECT_TRUE(logger.logbook().empty());
    EXPECT_EQ(logger.Receive(Cmd("PHLX701")), Cmd("PHLX601,0"));
    EXPECT_EQ(logger.Receive(Cmd("PHLX555")), "");
}

// Line noise, and acknowledgements out of turn, which the program never sends.
TEST(LoggerSimPhlx, BadChecksumsSpoilTextOnlyAndAcknowledgementsOutOfTurnGetNoAnswer) {
    PhlxLoggerOptions options;
    options.badChecksumEvery = 1;
    PhlxLoggerModel logger(TwoLogs(), options);
    EXPECT_FALSE(CheckReceivedSentence(logger.Receive(Cmd("PHLX810"))).error.empty());
    logger.Receive(Cmd("PHLX702,0,2"));
    EXPECT_EQ(logger.Receive(Cmd("PHLX900,902,3")), "");  // before the announcement was acknowledged
    const std::string announce = logger.Receive(Cmd("PHLX900,901,3"));
    const std::string package = logger.Receive(Cmd("PHLX900,902,3"));
    ASSERT_EQ(package.size(), 128u);
    EXPECT_TRUE(PhlxPackageAccepted(Field(announce, 3), Bytes(package)));
    EXPECT_EQ(logger.Receive(Cmd("PHLX900,902,3")), "");
}

TEST(LoggerSimPhlxLogbook, ReadsEntriesAndRecords) {
    const auto result = ParsePhlxLogbook(
        "# two logs\n"
        "2000-01-01T00:00:10Z, 37.5665, 126.978, 38, 12, 0\n"
        "\n"
        "entry 5\r\n"
        "0,-33.5,151.25,-3,65535,4294967295\n"
        "entry\n");
    ASSERT_EQ(result.error, "");
    ASSERT_EQ(result.logbook.size(), 3u);
    EXPECT_EQ(result.logbook[0].index, 0u);
    ASSERT_EQ(result.logbook[0].records.size(), 1u);
    EXPECT_EQ(result.logbook[0].records[0].time, 10u);
    EXPECT_FLOAT_EQ(result.logbook[0].records[0].latitude, 37.5665f);
    EXPECT_EQ(result.logbook[1].index, 5u);
    EXPECT_EQ(result.logbook[1].records[0].height, -3);
    EXPECT_EQ(result.logbook[1].records[0].speed, 65535);
    EXPECT_EQ(result.logbook[1].records[0].distance, 4294967295u);
    EXPECT_EQ(result.logbook[2].index, 6u);
    EXPECT_TRUE(result.logbook[2].records.empty());
}

TEST(LoggerSimPhlxLogbook, ErrorsNameTheLine) {
    EXPECT_EQ(ParsePhlxLogbook("entry 1\n1,2,3\n").error,
              "line 2: a record needs 6 fields (time,lat,lon,height,speed,distance), found 3");
    EXPECT_EQ(ParsePhlxLogbook("1999-12-31T23:59:59Z,0,0,0,0,0").error,
              "line 1: time is outside the logger's clock range (2000 onwards)");
    EXPECT_EQ(ParsePhlxLogbook("5,91,0,0,0,0").error, "line 1: latitude is not a number of degrees");
    EXPECT_EQ(ParsePhlxLogbook("5,1,2,40000,0,0").error, "line 1: height is not an integer from -32768 to 32767");
    EXPECT_EQ(ParsePhlxLogbook("entry x\n").error, "line 1: entry index is not an unsigned 32-bit integer");
    EXPECT_TRUE(ParsePhlxLogbook("5,1,2,3,-1,0").logbook.empty());
}

}  // namespace
}  // namespace ml::sim
