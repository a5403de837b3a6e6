// The simulated MTK logger: what a PMTK182 program receives from it must be
// framed and filled as a real logger does, including the injected faults.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/Checksum.h"
#include "link/MtkSentenceReceiver.h"
#include "tools/imagewriter/MtkImageWriter.h"
#include "tools/loggersim/MtkLoggerModel.h"
#include "tools/loggersim/SimSentence.h"

namespace ml::sim {
namespace {

std::vector<uint8_t> Pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

// The sentences of an answer as the program's receiver passes them on
// (checksum right), plus the count it dropped.
struct Received {
    std::vector<std::string> sentences;
    uint64_t crcErrors = 0;
};

Received ThroughReceiver(const std::string& bytes) {
    Received result;
    MtkSentenceReceiver receiver([&](std::string_view s) { result.sentences.emplace_back(s); });
    receiver.Feed(bytes.data(), static_cast<long>(bytes.size()));
    result.crcErrors = receiver.crcErrors();
    return result;
}

// Data bytes carried by "$PMTK182,8,ADDR,HEX*CS" sentences, with their addresses.
std::vector<uint8_t> DataOf(const std::vector<std::string>& sentences, std::vector<uint32_t>* addresses = nullptr) {
    std::vector<uint8_t> data;
    for (const std::string& s : sentences) {
        if (s.rfind("$PMTK182,8,", 0) != 0) continue;
        const auto fields = SplitFields(s.substr(1, s.find('*') - 1));
        if (addresses) addresses->push_back(static_cast<uint32_t>(std::stoul(fields[2], nullptr, 16)));
        for (size_t i = 0; i + 1 < fields[3].size(); i += 2) {
            data.push_back(static_cast<uint8_t>(std::stoul(fields[3].substr(i, 2), nullptr, 16)));
        }
    }
    return data;
}

TEST(LoggerSimMtk, RecordCountComesFromTheSectorHeadersInDecimal) {
    MtkImageWriter writer(0x0000003D);
    FixRecord fix;
    fix.time = 1795996800;
    for (int i = 0; i < 12; ++i) writer.AddFix(fix);
    writer.StartSector();
    for (int i = 0; i < 3; ++i) writer.AddFix(fix);
    MtkLoggerModel logger(writer.UsedImage(), {});
    EXPECT_EQ(logger.RecordCount(), 15u);
    const Received answer = ThroughReceiver(logger.Receive(FrameSentence("PMTK182,2,12")));
    ASSERT_EQ(answer.sentences.size(), 2u);
    EXPECT_EQ(answer.sentences[0], FrameSentence("PMTK182,3,12,15"));
    // Item 2 reports the first sector's format register.
    EXPECT_EQ(ThroughReceiver(logger.Receive(FrameSentence("PMTK182,2,2"))).sentences.at(0),
              FrameSentence("PMTK182,3,2,0000003D"));
}

TEST(LoggerSimMtk, CommandSplitAcrossReadsIsAnsweredOnce) {
    MtkLoggerModel logger(Pattern(100), {});
    const std::string command = "noise" + FrameSentence("PMTK182,7,0,64");
    std::string answer;
    for (const char c : command) answer += logger.Receive(std::string(1, c));
    EXPECT_EQ(answer, MtkLoggerModel(Pattern(100), {}).Receive(command));
    EXPECT_EQ(DataOf(ThroughReceiver(answer).sentences), Pattern(100));
}

TEST(LoggerSimMtk, ReadBeyondTheImageReadsErasedFlashAndBeyondTheFlashIsRefused) {
    MtkLoggerModel logger(Pattern(4), {});
    const auto data = DataOf(ThroughReceiver(logger.Receive(FrameSentence("PMTK182,7,2,4"))).sentences);
    EXPECT_EQ(data, (std::vector<uint8_t>{Pattern(4)[2], Pattern(4)[3], 0xFF, 0xFF}));
    EXPECT_EQ(logger.Receive(FrameSentence("PMTK182,7,FFFFFF,2")), FrameSentence("PMTK001,182,7,2"));
}

TEST(LoggerSimMtk, CommandsWithBadChecksumsOrFieldsAreNotObeyed) {
    MtkLoggerModel logger(Pattern(64), {});
    EXPECT_EQ(logger.Receive("$PMTK182,6,1*3F\r\n"), "");
    EXPECT_EQ(logger.image().size(), 64u);
    EXPECT_EQ(logger.Receive(FrameSentence("PMTK182,7,0,ZZ")), FrameSentence("PMTK001,182,7,0"));
    EXPECT_EQ(logger.Receive(FrameSentence("PMTK182,2")), FrameSentence("PMTK001,182,2,0"));
    EXPECT_EQ(logger.Receive(FrameSentence("PMTK605")), FrameSentence("PMTK001,605,1"));
}

TEST(LoggerSimMtk, EraseEmptiesTheLog) {
    MtkLoggerModel logger(Pattern(300), {});
    EXPECT_EQ(logger.Receive("$PMTK182,6,1*3E\r\n"), FrameSentence("PMTK001,182,6,3"));
    EXPECT_EQ(ThroughReceiver(logger.Receive(FrameSentence("PMTK182,2,8"))).sentences.at(0),
              FrameSentence("PMTK182,3,8,00000000"));
    EXPECT_EQ(logger.RecordCount(), 0u);
}

TEST(LoggerSimMtk, GarbageBetweenSentencesNeverFormsASentence) {
    MtkLoggerOptions options;
    options.chunkSize = 16;
    options.garbageBetween = true;
    MtkLoggerModel logger(Pattern(64), options);
    const std::string bytes = logger.Receive(FrameSentence("PMTK182,7,0,40"));
    const Received answer = ThroughReceiver(bytes);
    EXPECT_EQ(answer.crcErrors, 0u);
    EXPECT_EQ(DataOf(answer.sentences), Pattern(64));
    EXPECT_NE(bytes.find('\0'), std::string::npos);
}

}  // namespace
}  // namespace ml::sim
