#pragma once
// Saving and loading track files (*.dat) on disk; the layout is in
// store/TrackFile.h.
//
//   SaveResult r = SaveTrackFile(chosenPath, liveSettings, tracks, onlySelected);
//   if (!r.ok) show r.error; else if (!r.warning.empty()) show r.warning;
//
//   TrackFileLoad load = LoadTrackFile(path);
//   if (!load.ok) show load.error;           // nothing was read
//   else { append load.contents.tracks;     // the caller appends
//          if (load.contents.damaged) warn with load.contents.message;
//          reports use load.contents.header; }
#include <string>

#include "core/TrackRecord.h"
#include "store/SaveResult.h"
#include "store/Settings.h"
#include "store/TrackFile.h"

namespace ml {

// Writes the settings as the header and all tracks, or only those whose
// `selected` is not 0. ".dat" is appended when the path holds none
// (result.path is the file written). The file is written to a temporary
// file and renamed over the target, so a failed save leaves the old file.
SaveResult SaveTrackFile(const std::string& path, const Settings& settings, const TrackList& tracks, bool onlySelected);

struct TrackFileLoad {
    bool ok = false;    // false: the file could not be read; nothing loaded
    std::string error;  // why, naming the file
    TrackFileContents contents;
    std::string warning;  // damaged file or replaced characters, for the user
};

TrackFileLoad LoadTrackFile(const std::string& path);

}  // namespace ml
