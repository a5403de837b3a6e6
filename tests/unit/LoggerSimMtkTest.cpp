// The simulated MTK logger where the download tests do not lean on it: its
// record count, reads past the log, commands it must not obey, erasing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

// A status item's reply and its acknowledgement.
std::string Status(const std::string& item, const std::string& value) {
    return FrameSentence("PMTK182,3," + item + "," + value) + FrameSentence("PMTK001,182,2,3");
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
    EXPECT_EQ(logger.Receive(FrameSentence("PMTK182,2,12")), Status("12", "15"));
    // Item 2 reports the first sector's format register.
    EXPECT_EQ(logger.Receive(FrameSentence("PMTK182,2,2")), Status("2", "0000003D"));
}

// Commands and answers no download test sees.
TEST(LoggerSimMtk, ReadsPastTheLogMalformedCommandsAndErase) {
    MtkLoggerModel logger(Pattern(4), {});
    EXPECT_EQ(logger.Receive(FrameSentence("PMTK182,7,2,4")),  // erased flash after the log
              FrameSentence("PMTK182,8,00000002,1118FFFF") + FrameSentence("PMTK001,182,7,3"));
    EXPECT_EQ(logger.Receive(FrameSentence("PMTK182,7,FFFFFF,2")), FrameSentence("PMTK001,182,7,2"));
    EXPECT_EQ(logger.Receive(FrameSentence("PMTK182,7,0,ZZ")), FrameSentence("PMTK001,182,7,0"));
    EXPECT_EQ(logger.Receive(FrameSentence("PMTK182,2")), FrameSentence("PMTK001,182,2,0"));
    // Line noise before a command is not part of it.
    EXPECT_EQ(logger.Receive("noise" + FrameSentence("PMTK605")), FrameSentence("PMTK001,605,1"));
    EXPECT_EQ(logger.Receive("$PMTK182,6,1*3F\r\n"), "");  // wrong checksum: not obeyed
    EXPECT_EQ(logger.image().size(), 4u);
    EXPECT_EQ(logger.Receive("$PMTK182,6,1*3E\r\n"), FrameSentence("PMTK001,182,6,3"));
    EXPECT_EQ(logger.Receive(FrameSentence("PMTK182,2,8")), Status("8", "00000000"));
}

}  // namespace
}  // namespace ml::sim
