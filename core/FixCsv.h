#pragma once
// The command-line tool's fix format: a header line
// "time,latitude,longitude,speed,height", then one fix per line with the time
// as an integer and the floats printed with %.9g (enough digits to read every
// float back exactly). Lines end with "\n".
#include <string>
#include <string_view>

#include "core/FixRecord.h"

namespace ml {

inline constexpr std::string_view kFixCsvHeader = "time,latitude,longitude,speed,height";

std::string FormatFixCsv(const FixList& fixes);

// Reads the format back; "\r\n" line ends, blank lines and blanks around
// fields are accepted. Parsed fixes have distance 0. On success the fixes are
// appended to `out`; on failure `out` is left as it was and `error` names the
// 1-based line, e.g. "line 7: expected 5 fields, found 4".
bool ParseFixCsv(std::string_view text, FixList& out, std::string& error);

}  // namespace ml
