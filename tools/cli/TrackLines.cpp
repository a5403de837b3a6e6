#include "tools/cli/TrackLines.h"

#include "core/TrackRecord.h"

namespace ml::cli {

std::string FormatTrackLine(const TrackRecord& track) {
    std::string line;
    const auto texts = TrackTexts(track);
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) line += '\t';
        // A tab or line break inside a text would break the one-line-per-track
        // format that scripts rely on; such characters print as blanks.
        for (const char c : *texts[i]) {
            line += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
        }
    }
    line += '\n';
    return line;
}

std::string FormatTrackLines(const TrackList& tracks) {
    std::string out;
    for (const auto& track : tracks) out += FormatTrackLine(track);
    return out;
}

}  // namespace ml::cli
