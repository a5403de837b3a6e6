#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/DiagLog.h"
#include "link/Checksum.h"
#include "link/SentenceBuilder.h"
#include "link/SentenceFields.h"
#include "protocol/LoggerModel.h"

namespace ml {
namespace {

// Collects the diagnostic log for the lifetime of the object.
class DiagCapture {
public:
    DiagCapture() {
        SetDiagSink([this](std::string_view s) { text.append(s); });
    }
    ~DiagCapture() { SetDiagSink({}); }
    std::string text;
};

TEST(SentenceChecksum, SkipsEveryDollarAndStopsAtStar) {
    EXPECT_EQ(SentenceChecksum("PMTK001,182,2,3"), 0x25);
    EXPECT_EQ(SentenceChecksum("$PMTK001,182,2,3*25"), 0x25);
    EXPECT_EQ(SentenceChecksum("$PMTK001,1$82,2,3"), 0x25);
    EXPECT_EQ(SentenceChecksum(""), 0);
    char digits[2];
    ChecksumDigits(0x3E, digits);
    EXPECT_EQ(std::string(digits, 2), "3E");
}

TEST(SentenceBuilder, BuildsTheCommandsLoggersExpect) {
    EXPECT_EQ(BuildPmtk182StatusQuery(1), "$PMTK182,2,1*3A\r\n");
    EXPECT_EQ(MtkEraseSentence(), "$PMTK182,6,1*3E\r\n");
    const std::string read = BuildPmtk182Sentence(7, "0,1A000");
    EXPECT_EQ(read.substr(0, 17), "$PMTK182,7,0,1A00");
    EXPECT_EQ(SentenceChecksum(read), std::stoi(read.substr(read.find('*') + 1, 2), nullptr, 16));
}

TEST(SentenceBuilder, ShortPhlxSentenceIsThirteenBytes) {
    EXPECT_EQ(BuildPhlxShortSentence("810"), "$PHLX810*35\r\n");
    EXPECT_EQ(BuildPhlxShortSentence("827"), "$PHLX827*31\r\n");
    EXPECT_EQ(BuildPhlxShortSentence("810").size(), 13u);
    EXPECT_EQ(BuildPhlxShortSentence("81"), "");
    EXPECT_EQ(BuildPhlxShortSentence("8100"), "");
}

TEST(SentenceBuilder, TracedPhlxCommandWritesNameThenSentence) {
    DiagCapture diag;
    EXPECT_EQ(PhlxEraseCommand(), "$PHLX839*3E\r\n");
    EXPECT_EQ(diag.text, "[PC]==>[DEVICE] : ERASE LOG\r\n$PHLX839*3E\r\n\r\n");
    diag.text.clear();
    const std::string s = BuildTracedPhlxCommand("702,0,5");
    EXPECT_EQ(diag.text, s + "\r\n");
}

TEST(SentenceFields, PhlxFieldWalk) {
    const std::string s = "$PHLX902,1,512,8152A388*4F\r\n";
    EXPECT_EQ(PhlxField(s, 0), "$PHLX902");
    EXPECT_EQ(PhlxField(s, 2), "512");
    EXPECT_EQ(PhlxField(s, 3), "8152A388");
    EXPECT_EQ(PhlxField(s, 4), "");
    EXPECT_EQ(PhlxField("", 0), "");
    EXPECT_EQ(PhlxField("$PHLX601,,7*00", 1), "");
    EXPECT_EQ(PhlxField("$PHLX601,,7*00", 2), "7");
}

TEST(SentenceFields, PmtkFieldCutsAtStar) {
    const std::string s = "$PMTK182,3,8,0001A2B0*5C\r\n";
    EXPECT_EQ(PmtkField(s, 0), "$PMTK182");
    EXPECT_EQ(PmtkField(s, 2), "8");
    EXPECT_EQ(PmtkField(s, 3), "0001A2B0");
    bool exists = true;
    EXPECT_EQ(PmtkField(s, 4, &exists), "");
    EXPECT_FALSE(exists);
    EXPECT_EQ(PmtkField(s, 3, &exists), "0001A2B0");
    EXPECT_TRUE(exists);
}

TEST(SentenceFields, PhlxReplyCode) {
    EXPECT_EQ(PhlxReplyCode("$PHLX852,TRL4200Mini*00\r\n"), 852);
    EXPECT_EQ(PhlxReplyCode("$PHLX860*3B\r\n"), 860);
    EXPECT_EQ(PhlxReplyCode("$PHLX8"), -1);
    EXPECT_EQ(PhlxReplyCode("$PHLXabc*00"), -1);
    EXPECT_EQ(PhlxReplyCode("$PMTK001,182"), -1);
}

TEST(LoggerModel, ClassifiesTheModelAnswer) {
    EXPECT_EQ(ClassifyModelReply(""), LoggerModel::Failed);
    EXPECT_EQ(ClassifyModelReply("TRL4200Mini but no 852"), LoggerModel::Failed);
    EXPECT_EQ(ClassifyModelReply("junk$PHLX852,MTK3339*12\r\n"), LoggerModel::Mtk);
    EXPECT_EQ(ClassifyModelReply("$PHLX852,TRL4200Mini,1.0*12\r\n"), LoggerModel::Phlx);
    EXPECT_STREQ(ModelQueryFailedText(), "메시지를 획득하지 못했습니다($PHLX852)");
}

}  // namespace
}  // namespace ml
