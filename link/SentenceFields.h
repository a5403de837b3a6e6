#pragma once
// Field extraction from received sentences of both logger kinds.
#include <string>
#include <string_view>

namespace ml {

// PHLX: fields are separated by ",", field 0 being "$PHLX" with the code;
// a "*" ends the walk. Empty when the field does not exist.
std::string PhlxField(std::string_view sentence, int index);

// PMTK: fields split at ",", numbered from 0 ("$PMTK182" is field 0); the
// field is cut at "*" so the last one comes without its checksum. Empty
// when the field does not exist; `exists` (optional) tells the two apart.
std::string_view PmtkField(std::string_view sentence, int index, bool* exists = nullptr);

// The reply code of a PHLX sentence: the three characters after "$PHLX" as
// a decimal number; -1 when the line does not start with "$PHLX" followed
// by three digits.
int PhlxReplyCode(std::string_view line);

}  // namespace ml
