#pragma once
// A small, plausible log for trying the program without a logger: four
// drives of one working day around Seoul (home in Mapo to an office in
// Gangnam, a visit to Pangyo and back by way of Jamsil, home again by way of
// City Hall), one fix every five seconds, in November 2026.
#include <cstdint>
#include <vector>

#include "core/FixRecord.h"
#include "tools/loggersim/PhlxLogbook.h"

namespace ml::sim {

// The drives as fixes: UTC times, degrees, km/h, metres above the ellipsoid,
// distance in metres from the start of the drive.
std::vector<FixList> DemoDrives();

// The drives as an MTK logger's used memory (format 0x8800003D, as the
// common loggers record).
std::vector<uint8_t> DemoMtkImage();

// The drives as a PHLX logger's logbook, one log per drive.
PhlxLogbook DemoPhlxLogbook();

}  // namespace ml::sim
