#pragma once
// The data one run of the program acquires into: the port with its list,
// the fixes and tracks, and what the track build needs. The desktop
// program's CMainFrame owns one; the command-line tool makes its own.
//
// While a read-log worker runs, only the worker touches the port and the
// lists; the user interface reads them again after OnTracksUpdated or after
// the worker has ended.
#include <cstdint>
#include <string>
#include <vector>

#include "acquire/AcquireOptions.h"
#include "core/TrackBuilder.h"
#include "link/PortEntry.h"
#include "link/platform/PortDiscovery.h"
#include "link/platform/SerialPort.h"

namespace ml {

struct Session {
    SerialPort port;
    std::vector<PortEntry> portList;  // the last enumeration
    int selectedPort = -1;            // index into portList; -1: none chosen
    PortDiscoveryOptions discovery;   // extra ports from the settings

    FixList fixes;
    TrackList tracks;

    // TRACK_CUT_TIME of the settings, geocoding as decided at start-up.
    int32_t cutSeconds = 60;
    uint8_t geocodingEnabled = 0;
    ReverseGeocoder* geocoder = nullptr;

    AcquireOptions options;
    // A download cut short left the logger sending and the line did not
    // fall quiet in time: the next download drains it first.
    bool lineBusy = false;

    // The selected entry's name as the messages show it; empty when none.
    std::string SelectedPortName() const {
        if (selectedPort < 0 || static_cast<size_t>(selectedPort) >= portList.size()) return {};
        return portList[static_cast<size_t>(selectedPort)].portName;
    }
    // The path Open is given for the selected entry; empty when none.
    std::string SelectedDevicePath() const {
        if (selectedPort < 0 || static_cast<size_t>(selectedPort) >= portList.size()) return {};
        return portList[static_cast<size_t>(selectedPort)].devicePath;
    }
};

}  // namespace ml
