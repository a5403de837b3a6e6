#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "core/MapStatements.h"
#include "core/TrackRecord.h"

namespace ml {
namespace {

FixRecord Fix(float lat, float lon) {
    FixRecord f;
    f.latitude = lat;
    f.longitude = lon;
    return f;
}

TEST(MapStatements, ColourIsRedGreenBlueFromTheLowByteUpAndRowsAreNamedByIndex) {
    EXPECT_EQ(MapColorText(0x00FFA00Bu), "#0BA0FF");
    EXPECT_EQ(MapColorText(0xFF000000u), "#000000");  // the unused top byte is ignored
    EXPECT_EQ(ShowRawPathStatement(4, true), "showRawPath('4','1')");
    EXPECT_EQ(ShowRawPathStatement(0, false), "showRawPath('0','0')");
    EXPECT_EQ(SetBoundsStatement(12), "setBounds('12')");
    EXPECT_EQ(HighlightTrackStatement(-1), "highlightTrack('-1')");
}

TEST(MapStatements, BatchCarriesTheSamePointsAsSinglePointsInOrder) {
    const FixList fixes = {Fix(37.5f, 127.0f), Fix(0.0f, 127.0f), Fix(37.25f, 0.0f), Fix(37.75f, 126.5f),
                           Fix(std::numeric_limits<float>::quiet_NaN(), 126.0f)};
    EXPECT_EQ(PushRawPathStatement(2, fixes),
              "pushRawPath('2', [37.500000000,127.000000000,37.750000000,126.500000000])");
    EXPECT_EQ(PushRawPathStatement(0, {}), "");
    // The widest floats still fit.
    const float big = std::numeric_limits<float>::max();
    const std::string wide = PushRawPathStatement(0, {Fix(-big, -big)});
    EXPECT_NE(wide.find("-340282346638528859811704183484516925440.000000000,-3402"), std::string::npos);
}

TEST(MapStatements, RefreshIsClearLinesInListOrderThenUpdate) {
    TrackList tracks(3);
    tracks[0].color = 0x000000FFu;
    tracks[0].fixes = {Fix(37.5f, 127.0f)};
    tracks[1].color = 0x0000FF00u;
    tracks[1].fixes = {Fix(0.0f, 0.0f)};  // a line without points
    tracks[2].color = 0x00FF0000u;
    tracks[2].fixes = {Fix(35.0f, 129.0f), Fix(35.5f, 129.5f)};
    const std::vector<std::string> expected = {
        "clear()",
        "addLogPolyLine('#FF0000')",
        "pushRawPath('0', [37.500000000,127.000000000])",
        "addLogPolyLine('#00FF00')",
        "addLogPolyLine('#0000FF')",
        "pushRawPath('2', [35.000000000,129.000000000,35.500000000,129.500000000])",
        "update()",
        "fitAll()"};
    EXPECT_EQ(MapRefreshStatements(tracks), expected);
    EXPECT_EQ(MapRefreshStatements({}), (std::vector<std::string>{"clear()", "update()", "fitAll()"}));
}

}  // namespace
}  // namespace ml
