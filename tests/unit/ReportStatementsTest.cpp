#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "core/ReportStatements.h"

namespace ml {
namespace {

ReportRow Row(bool ticked, int number, const std::string& use, const std::string& distance,
              const std::string& purpose = "") {
    ReportRow r;
    r.ticked = ticked;
    r.no = std::to_string(number);
    r.use = use;
    r.distance = distance;
    r.purpose = purpose;
    r.startTime = "2026-03-0" + std::to_string(number) + "_08:00:00";
    r.endTime = "2026-03-0" + std::to_string(number) + "_09:00:00";
    r.startAddress = "start " + std::to_string(number);
    r.endAddress = "end " + std::to_string(number);
    return r;
}

Settings Sample() {
    Settings s;
    s.businessYearStart = "2026-01-01";
    s.businessYearEnd = "2026-12-31";
    s.corporateName = "(주)마일";
    s.corporateNum = "123-45-67890";
    s.carName = "소나타";
    s.carNum = "12가3456";
    s.carMaterNum = "1000";
    s.employeePartName = "영업부";
    s.employeeName = "홍길동";
    s.employeeNum = "A-17";
    s.carMileage = "9.8";
    s.oilBill = "1459";
    return s;
}

// --- business car log ---

// Only the exact commuting text goes to the commuting column; private
// driving counts in the total and the odometer only.
TEST(LogReportStatements, OdometerChainsAcrossUntickedRowsAndColumnsFollowTheUse) {
    const std::vector<ReportRow> rows = {
        Row(true, 1, "출퇴근용", "10.500 Km", "출근"),    Row(false, 2, "출퇴근용", "99.000 Km"),
        Row(true, 3, "일반업무용", "4.500 Km", "거래처"), Row(true, 4, "출퇴근용 ", "2 Km"),
        Row(true, 5, "비업무용", "6 Km", "장보기"),       Row(true, 6, "", "1 Km")};
    const auto out = LogReportStatements(rows, Sample());
    const std::vector<std::string> expected = {
        "clear()",
        "table_head('2026-01-01', '2026-12-31', '(주)마일', '123-45-67890')",
        "table_car_info('소나타', '12가3456')",
        "table_body('2026-03-01(일) 08:00', '영업부', '홍길동', '1,000.0', '1,010.5', "
        "'10.5','10.5', '', '출근')",
        "table_body('2026-03-03(화) 08:00', '영업부', '홍길동', '1,010.5', '1,015.0', "
        "'4.5','', '4.5', '거래처')",
        "table_body('2026-03-04(수) 08:00', '영업부', '홍길동', '1,015.0', '1,017.0', '2.0','', '2.0', '')",
        "table_body('2026-03-05(목) 08:00', '영업부', '홍길동', '', '', '6.0','', '', '비업무용')",
        "table_body('2026-03-06(금) 08:00', '영업부', '홍길동', '1,023.0', '1,024.0', '1.0','', '1.0', '')",
        "table_end('24.0','18.0','75.0')",
        "end_table_list()",
        "fin_html()"};
    EXPECT_EQ(out, expected);
}

TEST(LogReportStatements, TotalsRowIsZerosWithoutTickedRowsOrDistance) {
    EXPECT_EQ(LogReportStatements({Row(false, 1, "", "12 Km")}, Sample())[3], "table_end('0.0','0.0','0.0')");
    EXPECT_EQ(LogReportStatements({Row(true, 1, "", "No Data")}, Sample())[4], "table_end('0.0','0.0','0.0')");
}

TEST(LogReportStatements, OdometerIsReadAsTypedAndANonNumberRefusesTheForm) {
    Settings s = Sample();
    s.carMaterNum = "48,210";
    EXPECT_EQ(LogReportSettingsProblem(s), "");
    EXPECT_NE(LogReportStatements({Row(true, 1, "", "2.34 Km")}, s)[3].find("'48,210.0', '48,212.3'"),
              std::string::npos);
    for (const char* stored : {"약 1000", "nan", "250.5km", ""}) {
        s.carMaterNum = stored;
        EXPECT_EQ(LogReportSettingsProblem(s),
                  "계기판 거리 값이 숫자가 아니어서 양식을 만들 수 없습니다. 차량 정보를 고친 뒤 다시 만드세요.\n"
                  "계기판 거리: \"" +
                      std::string(stored) + "\"");
        EXPECT_EQ(RefundReportSettingsProblem(s), "") << "the refund does not use the odometer";
    }
}

// --- mileage refund record ---

TEST(RefundReportStatements, SettingsAreReadAsTypedAndANonNumberRefusesTheForm) {
    Settings s = Sample();
    s.carMileage = "0";
    EXPECT_EQ(RefundReportStatements({Row(true, 1, "", "98 Km")}, s)[5],
              "total_table_list('98.0','0.00','1,459원','0원')");
    s.carMileage = "9,8";
    s.oilBill = "1,459";
    EXPECT_EQ(RefundReportSettingsProblem(s), "");
    EXPECT_EQ(RefundReportStatements({Row(true, 1, "", "98 Km")}, s)[5],
              "total_table_list('98.0','9.80','1,459원','14,590원')");
    const struct {
        const char* mileage;
        const char* oilBill;
        const char* named;
    } refused[] = {{"연비", "1459", "차량 연비: \"연비\""},
                   {"9.8", "1459원", "유류비: \"1459원\""},
                   {"9.8", "1459.5", "유류비: \"1459.5\""},  // whole won only
                   {"9.8", "", "유류비: \"\""}};
    for (const auto& c : refused) {
        s.carMileage = c.mileage;
        s.oilBill = c.oilBill;
        const std::string problem = RefundReportSettingsProblem(s);
        EXPECT_NE(problem.find("숫자가 아니어서 양식을 만들 수 없습니다."), std::string::npos) << problem;
        EXPECT_NE(problem.find(c.named), std::string::npos) << problem;
    }
}

// Private driving is not claimed.
TEST(RefundReportStatements, ListedRowsAreNumberedInListedOrder) {
    std::vector<ReportRow> rows;
    for (int i = 1; i <= 6; ++i)
        rows.push_back(Row(i == 2 || i == 3 || i == 5, i, i == 3 ? "비업무용" : "", "1.5 Km", "p"));
    const auto out = RefundReportStatements(rows, Sample());
    const std::vector<std::string> expected = {
        "clear()",
        "name_table_list('A-17','홍길동')",
        "refund_head('(주)마일', '12가3456', '2026-03-02', '2026-03-05', '영업부')",
        "table_list('1', '2026-03-02(월) 08:00', '2026-03-02(월) 09:00', 'start 2', 'end 2', "
        "'1.5', 'p', '')",
        "table_list('2', '2026-03-05(목) 08:00', '2026-03-05(목) 09:00', 'start 5', 'end 5', "
        "'1.5', 'p', '')",
        "end_table_list()",
        "total_table_list('3.0','9.80','1,459원','447원')",
        "fin_html()"};
    EXPECT_EQ(out, expected);
}

TEST(RefundReportStatements, NoTickedRowShowsTheConfiguredFigures) {
    const auto out = RefundReportStatements({Row(false, 1, "", "5 Km")}, Sample());
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(out[2], "refund_head('(주)마일', '12가3456', '', '', '영업부')");
    EXPECT_EQ(out[4], "total_table_list('0.0','9.80','1,459원','0원')");
}

// --- texts inside statements ---

TEST(EscapePageText, QuotesBackslashesAndMarkupBecomeHarmless) {
    EXPECT_EQ(EscapePageText("it's <b>"), "it&#39;s &lt;b&gt;");
    EXPECT_EQ(EscapePageText("a\\b"), "a\\\\b");
    EXPECT_EQ(EscapePageText("\"x\" & y"), "&quot;x&quot; &amp; y");
    EXPECT_EQ(EscapePageText("line1\nline2\r"), "line1\\nline2\\r");
    EXPECT_EQ(EscapePageText(std::string("a\0b\x1f", 4)), "a\\x00b\\x1F");
    EXPECT_EQ(EscapePageText("\xE2\x80\xA8|\xE2\x80\xA9"), "\\u2028|\\u2029");
    EXPECT_EQ(EscapePageText("서울 중구 세종대로 110"), "서울 중구 세종대로 110");
}

TEST(EscapePageText, EveryTextFieldOfBothFormsIsEscaped) {
    Settings s = Sample();
    const std::string evil = "'); alert(1); ('\\";
    for (std::string* field : {&s.businessYearStart, &s.businessYearEnd, &s.corporateName, &s.corporateNum, &s.carName,
                               &s.carNum, &s.employeePartName, &s.employeeName, &s.employeeNum})
        *field = evil;
    ReportRow r = Row(true, 1, "", "1 Km");
    r.no = r.use = r.purpose = r.startTime = r.endTime = r.startAddress = r.endAddress = evil;
    r.distance = "1 Km" + evil;
    for (const auto& statements : {LogReportStatements({r}, s), RefundReportStatements({r}, s)}) {
        for (const std::string& statement : statements) {
            EXPECT_EQ(statement.find("');"), std::string::npos) << statement;
            // No backslash is left alone to escape one of the statement's own quotes.
            EXPECT_EQ(std::regex_replace(statement, std::regex(R"(\\\\)"), "").find('\\'), std::string::npos)
                << statement;
        }
    }
}

}  // namespace
}  // namespace ml
