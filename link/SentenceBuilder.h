#pragma once
// Builds the command sentences the program sends to either logger kind:
// "$" body "*" two upper-case hex checksum digits CR LF. The checksum is
// SentenceChecksum (link/Checksum.h).
#include <string>
#include <string_view>

namespace ml {

// "$PMTK182,<type>,<parameters>*CS\r\n". Types the program sends: 2 status
// query, 6 erase ("1"), 7 read memory ("0,%X").
std::string BuildPmtk182Sentence(int type, std::string_view parameters);

// The status query for one item: type 2 with the item number in decimal.
// Item 1 gives "$PMTK182,2,1*3A\r\n".
std::string BuildPmtk182StatusQuery(int item);

// The 13-byte short PHLX command "$PHLX<code>*CS\r\n" ("810" the model
// query, "827" end of download). Empty when the code is not exactly three
// characters, since the logger would not parse anything else.
std::string BuildPhlxShortSentence(std::string_view code);

// A general PHLX command "$PHLX<body>*CS\r\n", e.g. body "702,0,5".
std::string BuildPhlxSentence(std::string_view body);

// BuildPhlxSentence plus its trace on the diagnostic log: when a log name
// is given, "[PC]==>[DEVICE] : <name>\r\n", then the sentence and "\r\n".
// The caller writes the returned sentence to the port in one write.
std::string BuildTracedPhlxCommand(std::string_view body, std::string_view logName = {});

// The erase commands of both logger kinds.
std::string MtkEraseSentence();  // "$PMTK182,6,1*3E\r\n"
std::string PhlxEraseCommand();  // "$PHLX839*3E\r\n", traced as "ERASE LOG"

}  // namespace ml
