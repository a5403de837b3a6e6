#pragma once
// The command-line tool's fix format: a header line
// "time,latitude,longitude,speed,height", then one fix per line with the time
// as an integer and the floats printed with %.9g (enough digits to read every
// float back exactly). Lines end with "\n".
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "core/FixRecord.h"

namespace ml {

inline constexpr std::string_view kFixCsvHeader = "time,latitude,longitude,speed,height";

// Formats the header and the fixes into a buffer and hands the buffer to
// `sink` whenever it is nearly full, and the rest at Finish(): a whole log
// never has to be held as text. Once the sink returns false nothing more is
// given to it and Add/Finish return false.
class FixCsvWriter {
public:
    using Sink = std::function<bool(std::string_view)>;
    explicit FixCsvWriter(Sink sink, size_t bufferBytes = size_t{1} << 20);

    bool Add(const FixList& fixes);
    bool Finish();

private:
    bool Flush();

    Sink sink_;
    std::string buffer_;
    size_t used_ = 0;
    bool ok_ = true;
};

std::string FormatFixCsv(const FixList& fixes);

// Reads the format back; "\r\n" line ends, blank lines and blanks around
// fields are accepted. Parsed fixes have distance 0. A number that is not
// finite, a latitude outside ±90 or a longitude outside ±180 is refused. On success the fixes are
// appended to `out`; on failure `out` is left as it was and `error` names the
// 1-based line, e.g. "line 7: expected 5 fields, found 4".
bool ParseFixCsv(std::string_view text, FixList& out, std::string& error);

}  // namespace ml
