#pragma once
// The tool's track line: the eleven texts of a track in record order,
// separated by tabs, ended by a line feed. Used by `tracks` and `show`.
#include <string>

#include "core/TrackRecord.h"

namespace ml::cli {

std::string FormatTrackLine(const TrackRecord& track);
std::string FormatTrackLines(const TrackList& tracks);

}  // namespace ml::cli
