#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ledger/LedgerExport.h"
#include "pages/ReportPages.h"
#include "tests/ledger_export/SampleLog.h"

namespace ml::ledger {
namespace {

TEST(LogPageStatements, EveryKindOfRowInTheFormsOwnCalls) {
    const std::vector<std::string> expected = {
        "clear()",
        "table_head('2026-03-01', '2026-04-30', '(주)마일레저', '123-45-67890', '사업연도', '법인명')",
        "table_car_info('쏘나타', '12가3456')",
        "table_warning('분류되지 않은 주행 1건: #5 2026-04-02 09:00')",
        "table_body('2026-03-02(월) 09:00', '영업부', '홍길동', '1,099.0', '1,109.0', '10.0', '10.0', '', '출근', "
        "'경기도 성남시 분당구 판교역로 235', '')",
        "table_body('2026-03-02(월) 10:00', '총무부', '김철수', '1,109.0', '1,129.0', '20.0', '', '20.0', "
        "'거래처 방문, &quot;A&quot;사 · 주차비 별도', 'No Data', '1')",
        "table_body('2026-03-02(월) 11:00', '영업부', '홍길동', '', '', '30.0', '', '', '비업무용', '', '')",
        "table_unrecorded('2026-03-03(화) 09:00', '1,159.0', '1,200.0', '41.0', '기록되지 않은 주행')",
        "table_month_total('2026-03', '101.0', '10.0', '20.0')",
        "table_body('2026-04-02(목) 09:00', '영업부', '홍길동', '1,200.0', '1,240.0', '40.0', '', '', '', '', '')",
        "table_month_total('2026-04', '40.0', '0.0', '0.0')",
        "table_end('141.0', '30.0', '21.3')",
        "end_table_list()",
        "fin_html()"};
    const OfficialLog log = SampleLog();
    EXPECT_EQ(LogPageStatements(log), expected);
    EXPECT_EQ(log.totals.tripCount, 4);
    EXPECT_EQ(log.rows[2].businessKm + log.rows[2].commuteKm, 0.0) << "private: ⑦ only";
    EXPECT_EQ(log.unclassifiedTripIds, std::vector<int64_t>{5});
    EXPECT_EQ(BuildOfficialLog(SampleCar(), {}, {}, {}, log.period).totals.sharePercent, 0.0);

    OfficialLog individual = log;
    individual.car.form = FormVariant::Individual;
    EXPECT_EQ(LogPageStatements(individual)[1],
              "table_head('2026-03-01', '2026-04-30', '(주)마일레저', '123-45-67890', '과세기간', '상호명')");
}

TEST(RefundPageStatements, BusinessTripsAndTheClaimInWholeWon) {
    const std::vector<std::string> expected = {
        "clear()",
        "name_table_list('', '홍길동')",
        "refund_head('(주)마일레저', '12가3456', '2026-02-27', '2026-03-31', '영업부')",
        "table_list('1', '2026-02-27(금) 09:00', '2026-02-27(금) 09:10', '', '', '99.0', '납품', '일반업무용')",
        "table_list('2', '2026-03-02(월) 10:00', '2026-03-02(월) 10:10', '경기도 성남시 분당구 판교역로 235', "
        "'No Data', '20.0', '거래처 방문, &quot;A&quot;사', '일반업무용')",
        "end_table_list()",
        "total_table_list('119.0', '11.50', '1,659원', '17,167원')",
        "fin_html()"};
    EXPECT_EQ(RefundPageStatements(SampleRefund()), expected);
    EXPECT_EQ(SampleRefund(0.0).amountWon, 0.0);
}

TEST(StandaloneReportHtml, TheBuiltInPageRunsTheStatementsOnItsPaper) {
    const std::string page(pages::LogReportPage());
    EXPECT_EQ(page.find("src=\"report_page.js\""), std::string::npos);
    EXPECT_NE(page.find("function paginate("), std::string::npos);
    const std::string html = StandaloneReportHtml(page, {"clear()", "table_warning('a\\\\b \"</script>')"});
    EXPECT_NE(html.find("<style>@page { size: A4 portrait; margin: 10mm; }</style>\n</head>"), std::string::npos);
    // Each statement a string of its own; nothing in one can close the script.
    EXPECT_NE(html.find("[\n\"clear()\",\n\"table_warning('a\\\\\\\\b \\\"\\x3C/script>')\",\n]"), std::string::npos);
    EXPECT_LT(html.find("(0, eval)(s)"), html.rfind("</body>"));
    EXPECT_NE(StandaloneReportHtml(std::string(pages::RefundReportPage()), {}).find("size: A4 landscape"),
              std::string::npos);
}

TEST(LogCsv, TripsWithAByteOrderMarkAndSafeFields) {
    const std::string csv = LogCsv(SampleLog());
    const std::string expected =
        "\xEF\xBB\xBF"
        "운행번호,사용일자,시작,종료,부서,성명,주행 전(km),주행 후(km),주행거리(km),출·퇴근용(km),일반 업무용(km),"
        "사용용도,운행목적,비고,출발지,도착지\r\n"
        "2,2026-03-02,09:00,09:10,영업부,홍길동,1099.0,1109.0,10.0,10.0,,출퇴근용,출근,,서울특별시 중구 세종대로 110,"
        "경기도 성남시 분당구 판교역로 235\r\n"
        "3,2026-03-02,10:00,10:10,총무부,김철수,1109.0,1129.0,20.0,,20.0,일반업무용,\"거래처 방문, \"\"A\"\"사\","
        "주차비 별도,경기도 성남시 분당구 판교역로 235,No Data\r\n"
        "4,2026-03-02,11:00,11:10,영업부,홍길동,1129.0,1159.0,30.0,,,비업무용,'=개인,,,집\r\n"
        ",2026-03-03,09:00,09:00,,,1159.0,1200.0,41.0,,,,,기록되지 않은 주행,,\r\n"
        "5,2026-04-02,09:00,09:10,영업부,홍길동,1200.0,1240.0,40.0,,,,,,,\r\n";
    EXPECT_EQ(csv, expected);
    EXPECT_EQ(RefundCsv(SampleRefund()).substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(RefundCsv(SampleRefund()).find("\r\n2,3,2026-03-02 10:00,2026-03-02 10:10,"), std::string::npos);
}

TEST(TripsGpx, OneTrackPerTripInUtc) {
    TripWithFixes trip;
    trip.trip.id = 11;
    trip.trip.use = Use::Commute;
    trip.trip.purpose = "출근 <A&B>";
    trip.fixes = {{1772410500, 37.5663f, 126.9779f, 40.0f, 21.5f},
                  {1772410501, 95.0f, 126.9779f, 40.0f, 21.5f},  // no position
                  {1772410502, 37.3947f, 127.1112f, 0.0f, 30.0f}};
    TripWithFixes plain;
    plain.trip.id = 12;
    plain.trip.startTime = 1772410600;
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"MileLedger\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
        "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
        "  <metadata>\n    <name>12가3456</name>\n  </metadata>\n"
        "  <trk>\n    <name>출근 &lt;A&amp;B&gt;</name>\n    <number>11</number>\n    <type>출퇴근용</type>\n"
        "    <trkseg>\n"
        "      <trkpt lat=\"37.5663\" lon=\"126.9779\"><ele>21.5</ele><time>2026-03-02T00:15:00Z</time></trkpt>\n"
        "      <trkpt lat=\"37.3947\" lon=\"127.1112\"><ele>30</ele><time>2026-03-02T00:15:02Z</time></trkpt>\n"
        "    </trkseg>\n    <!-- 위치가 없는 측위 1개 제외 -->\n  </trk>\n"
        "  <trk>\n    <name>2026-03-02T00:16:40Z</name>\n    <number>12</number>\n"
        "    <trkseg>\n    </trkseg>\n  </trk>\n"
        "</gpx>\n";
    EXPECT_EQ(TripsGpx(SampleCar(), {trip, plain}), expected);
}

}  // namespace
}  // namespace ml::ledger
