#pragma once
// Tracks for the window tests, made the way a download makes them: fixes
// cut by the track builder (no geocoding).
#include <string>
#include <vector>

#include "core/ReportStatements.h"
#include "core/TextFormat.h"
#include "core/TrackBuilder.h"

namespace ml::test {

// `count` drives of five fixes each, 10 minutes apart, near Seoul.
inline FixList SampleFixes(int count) {
    FixList fixes;
    int32_t time = 1764547200;  // 2025-12-01 00:00 UTC
    for (int t = 0; t < count; ++t) {
        for (int i = 0; i < 5; ++i) {
            FixRecord fix;
            fix.time = time + i * 5;
            fix.latitude = 37.5f + 0.001f * float(i + t);
            fix.longitude = 127.0f + 0.001f * float(i);
            fixes.push_back(fix);
        }
        time += 600;
    }
    return fixes;
}

inline TrackList SampleTracks(int count) {
    FixList fixes = SampleFixes(count);
    TrackList tracks;
    TrackBuildOptions options;
    options.cutSeconds = 60;
    BuildTracks(fixes, tracks, options);
    return tracks;
}

// A month of `count` trips as the list rows the forms read, two a day from
// Monday 2026-03-02: to work and back or to a customer, with every trip's
// start on an even minute and its end on an odd one, none twice, so that a
// printed page can be searched for them.
inline std::vector<ReportRow> MonthOfRows(int count) {
    static const char* const kPlaces[] = {"서울특별시 중구 세종대로 110", "경기도 성남시 분당구 판교역로 235",
                                          "서울특별시 강남구 테헤란로 152", "서울특별시 영등포구 여의대로 24",
                                          "경기도 수원시 영통구 삼성로 129"};
    static const char* const kPurposes[] = {"출근", "거래처 방문 (견적 협의)", "자재 수령", "퇴근",
                                            "협력사 품질 점검 후 본사 복귀, 시험 성적서 수령"};
    std::vector<ReportRow> rows;
    for (int i = 0; i < count; ++i) {
        ReportRow r;
        r.ticked = true;
        r.no = std::to_string(i + 1);
        r.use = i % 4 == 0 || i % 4 == 3 ? "출퇴근용" : "일반업무용";
        r.purpose = kPurposes[i % 5];
        r.distance = Format("%.3f Km", 3.0 + (i * 37 % 230) / 10.0);
        const int day = 2 + i / 2;
        const int start = 6 * 60 + 14 * i;  // minutes of the day
        r.startTime = Format("2026-03-%02d_%02d:%02d:00", day, start / 60, start % 60);
        r.endTime = Format("2026-03-%02d_%02d:%02d:40", day, (start + 9) / 60, (start + 9) % 60);
        r.startAddress = kPlaces[i % 5];
        r.endAddress = i % 9 == 8 ? "No Data" : kPlaces[(i + 1) % 5];
        rows.push_back(r);
    }
    return rows;
}

}  // namespace ml::test
