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

TEST(Sentences, ChecksumSkipsEveryDollarAndStopsAtTheStar) {
    for (const char* text : {"PMTK001,182,2,3", "$PMTK001,182,2,3*25", "$PMTK001,1$82,2,3"}) {
        EXPECT_EQ(SentenceChecksum(text), 0x25) << text;
    }
    EXPECT_EQ(SentenceChecksum(""), 0);
    char digits[2];
    ChecksumDigits(0x3E, digits);
    EXPECT_EQ(std::string(digits, 2), "3E");
}

TEST(Sentences, BuiltAsLoggersExpectThem) {
    const std::pair<std::string, std::string> built[] = {
        {BuildPmtk182StatusQuery(1), "$PMTK182,2,1*3A\r\n"},
        {MtkEraseSentence(), "$PMTK182,6,1*3E\r\n"},
        {BuildPmtk182Sentence(7, "0,1A000"), "$PMTK182,7,0,1A000*52\r\n"},
        {BuildPhlxShortSentence("810"), "$PHLX810*35\r\n"},  // always 13 bytes
        {BuildPhlxShortSentence("827"), "$PHLX827*31\r\n"},
        {BuildPhlxShortSentence("81"), ""},
        {BuildPhlxShortSentence("8100"), ""}};
    for (const auto& [sentence, expected] : built) EXPECT_EQ(sentence, expected);

    std::string diag;
    SetDiagSink([&](std::string_view s) { diag.append(s); });
    EXPECT_EQ(PhlxEraseCommand(), "$PHLX839*3E\r\n");
    const std::string traced = BuildTracedPhlxCommand("702,0,5");
    SetDiagSink({});
    EXPECT_EQ(diag, "[PC]==>[DEVICE] : ERASE LOG\r\n$PHLX839*3E\r\n\r\n" + traced + "\r\n");
}

TEST(Sentences, FieldsAndReplyCodes) {
    const std::string phlx = "$PHLX902,1,512,8152A388*4F\r\n";
    const std::string pmtk = "$PMTK182,3,8,0001A2B0*5C\r\n";
    const std::pair<std::string, std::string> fields[] = {{PhlxField(phlx, 0), "$PHLX902"},
                                                          {PhlxField(phlx, 2), "512"},
                                                          {PhlxField(phlx, 3), "8152A388"},
                                                          {PhlxField(phlx, 4), ""},
                                                          {PhlxField("", 0), ""},
                                                          {PhlxField("$PHLX601,,7*00", 1), ""},
                                                          {PhlxField("$PHLX601,,7*00", 2), "7"},
                                                          {std::string(PmtkField(pmtk, 0)), "$PMTK182"},
                                                          {std::string(PmtkField(pmtk, 2)), "8"},
                                                          {std::string(PmtkField(pmtk, 3)), "0001A2B0"}};
    for (const auto& [field, expected] : fields) EXPECT_EQ(field, expected);
    bool exists = true;
    EXPECT_EQ(PmtkField(pmtk, 4, &exists), "");
    EXPECT_FALSE(exists);
    PmtkField(pmtk, 3, &exists);
    EXPECT_TRUE(exists);

    const std::pair<const char*, int> codes[] = {{"$PHLX852,TRL4200Mini*00\r\n", 852},
                                                 {"$PHLX860*3B\r\n", 860},
                                                 {"$PHLX8", -1},
                                                 {"$PHLXabc*00", -1},
                                                 {"$PMTK001,182", -1}};
    for (const auto& [line, code] : codes) EXPECT_EQ(PhlxReplyCode(line), code) << line;
}

TEST(LoggerModel, ClassifiesTheModelAnswer) {
    EXPECT_EQ(ClassifyModelReply(""), LoggerModel::Failed);
    EXPECT_EQ(ClassifyModelReply("TRL4200Mini but no 852"), LoggerModel::Failed);
    EXPECT_EQ(ClassifyModelReply("junk$PHLX852,MTK3339*12\r\n"), LoggerModel::Mtk);
    EXPECT_EQ(ClassifyModelReply("$PHLX852,TRL4200Mini,1.0*12\r\n"), LoggerModel::Phlx);
}

}  // namespace
}  // namespace ml
