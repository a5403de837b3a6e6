#pragma once
// Setting.ini on disk: reading, writing and the start-up rule.
//
// The fifteen settings live in the empty-named section "[]" in CP949; the
// service configuration in "[services]". Writing the settings changes only
// their fifteen lines; every other line of the file is kept as it was.
#include <string>
#include <vector>

#include "store/SaveResult.h"
#include "store/Settings.h"

namespace ml {

struct SettingsFileState {
    std::string path;
    Settings settings;                  // texts already cut to what their fields hold
    ServiceSettings services;           // defaults for missing keys
    bool found = false;                 // the file existed and was read
    bool written = false;               // the start-up wrote the file
    std::vector<std::string> warnings;  // read or write failures, replaced characters
};

// Reads the file as it is; a missing file or key reads as empty text or 0.
SettingsFileState LoadSettings(const std::string& path);

// Writes the fifteen keys in their save order (adding the file or the
// section when missing). A file that cannot be written, or that exists but
// cannot be read, is left whole and the result says why.
SaveResult SaveSettings(const std::string& path, const Settings& settings);

// The program's start-up: load; when TRACK_CUT_MODE is 0 (a new file, or one
// that never was initialised) every value is set to its default and the
// file is written, with the [services] defaults added where missing. A file
// that exists but cannot be read is left alone: the defaults are used for
// this run and a warning says so. Without `writeBack` the same values are
// used but nothing is written (commands that only read files).
SettingsFileState StartSettings(const std::string& path, bool writeBack = true);

}  // namespace ml
