#pragma once
// The script statements that drive the map page. The page numbers its lines
// by the order of "addLogPolyLine" calls since the last "clear()", so line i
// always belongs to row i of the list and entry i of the TrackList.
#include <cstdint>
#include <string>
#include <vector>

#include "core/FixRecord.h"
#include "core/TrackRecord.h"

namespace ml {

// "#RRGGBB" from a 0x00BBGGRR colour (red in the lowest byte).
std::string MapColorText(uint32_t color);

// False for a fix the map must not receive: a zero latitude or longitude
// (the logger's "no position") or a value that is not a finite number, which
// would break the statement it is placed in.
bool IsDrawablePoint(double latitude, double longitude);

std::string MapClearStatement();                         // "clear()"
std::string AddLogPolyLineStatement(uint32_t color);     // "addLogPolyLine('#RRGGBB')"
std::string MapUpdateStatement();                        // "update()"
std::string ShowRawPathStatement(int index, bool show);  // "showRawPath('i','0|1')"
std::string SetBoundsStatement(int index);               // "setBounds('i')"
// "highlightTrack('i')": line i drawn thicker and the others faded; -1
// shows every line as drawn.
std::string HighlightTrackStatement(int index);
std::string FitAllStatement();  // "fitAll()": the view holds every line shown

// A whole track's drawable points in one statement, with the same effect as
// one "pushRawPos" per point: "pushRawPath('i', [lat,lon,lat,lon,...])".
// Empty when no fix is drawable. Sending one statement per fix costs one
// round trip into the page each and makes a refresh of a real log slow.
std::string PushRawPathStatement(int index, const FixList& fixes);

// The statements of a list refresh: "clear()", then per track its line and
// its points, then "update()" and "fitAll()", so that a download or a
// loaded file is seen whole. The rows' "showRawPath" follow from ticking the
// check boxes and are not part of this list.
std::vector<std::string> MapRefreshStatements(const TrackList& tracks);

}  // namespace ml
