#include "link/SentenceBuilder.h"

#include "core/DiagLog.h"
#include "link/Checksum.h"

namespace ml {

namespace {
// Appends "*CS\r\n" to a sentence that starts with "$".
std::string WithTail(std::string sentence) {
    char digits[2];
    ChecksumDigits(SentenceChecksum(sentence), digits);
    sentence.push_back('*');
    sentence.append(digits, 2);
    sentence.append("\r\n");
    return sentence;
}
}  // namespace

std::string BuildPmtk182Sentence(int type, std::string_view parameters) {
    std::string sentence = "$PMTK182," + std::to_string(type) + ",";
    sentence.append(parameters);
    return WithTail(std::move(sentence));
}

std::string BuildPmtk182StatusQuery(int item) { return BuildPmtk182Sentence(2, std::to_string(item)); }

std::string BuildPhlxShortSentence(std::string_view code) {
    if (code.size() != 3) return {};
    return BuildPhlxSentence(code);
}

std::string BuildPhlxSentence(std::string_view body) {
    std::string sentence = "$PHLX";
    sentence.append(body);
    return WithTail(std::move(sentence));
}

// Body and name are both texts by nature; the trace test pins their order.
std::string BuildTracedPhlxCommand(std::string_view body,  // NOLINT(bugprone-easily-swappable-parameters)
                                   std::string_view logName) {
    std::string sentence = BuildPhlxSentence(body);
    if (DiagEnabled()) {
        if (!logName.empty()) {
            DiagWrite("[PC]==>[DEVICE] : ");
            DiagWrite(logName);
            DiagWrite("\r\n");
        }
        DiagWrite(sentence);
        DiagWrite("\r\n");
    }
    return sentence;
}

std::string MtkEraseSentence() { return BuildPmtk182Sentence(6, "1"); }

std::string PhlxEraseCommand() { return BuildTracedPhlxCommand("839", "ERASE LOG"); }

}  // namespace ml
