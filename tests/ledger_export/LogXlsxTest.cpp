// The workbooks read back with a real XLSX reader (openpyxl, Debian's
// python3-openpyxl): the numbers an accountant sees are those of the
// printed page, and the totals are formulas.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>

#include "core/FormText.h"
#include "core/ledger/LedgerExport.h"
#include "store/ledger/export/LogXlsx.h"
#include "tests/ledger_export/SampleLog.h"

namespace ml::ledger {
namespace {

namespace fs = std::filesystem;

struct Cell {
    std::string value;   // the formula for a formula cell
    std::string cached;  // the value a reader that does not calculate sees
};

// Every non-empty cell of the first sheet by its reference, plus "@titles"
// (the rows repeated on each printed page) and "@footer".
std::map<std::string, Cell> ReadBack(const fs::path& book) {
    const fs::path script = book.parent_path() / "read.py";
    std::ofstream(script) << "import sys, openpyxl\n"
                             "f = openpyxl.load_workbook(sys.argv[1]).active\n"
                             "v = openpyxl.load_workbook(sys.argv[1], data_only=True).active\n"
                             "print('@titles', f.print_title_rows, '', sep='\\t')\n"
                             "print('@footer', f.oddFooter.center.text, '', sep='\\t')\n"
                             "for row in f.iter_rows():\n"
                             "    for c in row:\n"
                             "        if c.value is not None:\n"
                             "            print(c.coordinate, c.value, v[c.coordinate].value, sep='\\t')\n";
    const std::string command = "/usr/bin/python3 '" + script.string() + "' '" + book.string() + "'";
    std::map<std::string, Cell> cells;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return cells;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        const size_t a = text.find('\t'), b = text.rfind('\t');
        if (a == std::string::npos || a == b) continue;
        cells[text.substr(0, a)] = {text.substr(a + 1, b - a - 1), text.substr(b + 1)};
    }
    EXPECT_EQ(pclose(pipe), 0) << "openpyxl could not read " << book;
    return cells;
}

// The km texts among a statement's arguments, in order.
std::vector<std::string> KmArguments(const std::string& statement) {
    static const std::regex km("'(-?[0-9][0-9,]*\\.[0-9])'");
    std::vector<std::string> out;
    for (std::sregex_iterator i(statement.begin(), statement.end(), km), end; i != end; ++i) out.push_back((*i)[1]);
    return out;
}

class LogXlsxTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("ml_xlsx_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

TEST_F(LogXlsxTest, HoldsTheNumbersOfThePrintedLogWithFormulaTotals) {
    const OfficialLog log = SampleLog();
    const fs::path path = dir_ / "log.xlsx";
    std::ofstream(path) << "an older file";
    std::string error;
    ASSERT_TRUE(WriteLogXlsx(log, path.string(), error)) << error;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);  // no temporary left

    auto cells = ReadBack(path);
    EXPECT_EQ(cells["A1"].value, "업무용승용차 운행기록부");
    EXPECT_EQ(cells["E3"].value, "12가3456");
    EXPECT_EQ(cells["A4"].value, log.warnings[0]);
    EXPECT_EQ(cells["@titles"].value, "$6:$8");
    EXPECT_EQ(cells["@footer"].value, "쪽 &P / &N");

    // Rows 9 to 15 hold the log's rows, as the page's statements print them.
    const auto statements = LogPageStatements(log);
    for (size_t i = 0; i < log.rows.size(); ++i) {
        const std::string row = std::to_string(9 + i);
        std::vector<std::string> shown;
        for (const char* column : {"D", "E", "F", "G", "H"})
            if (cells.count(column + row)) shown.push_back(KmText(std::stod(cells[column + row].cached)));
        EXPECT_EQ(shown, KmArguments(statements[4 + i])) << "row " << row;
    }
    EXPECT_EQ(cells["A9"].value, "2026-03-02(월) 09:00");
    EXPECT_EQ(cells["I9"].value, "출근 / 경기도 성남시 분당구 판교역로 235");
    EXPECT_EQ(cells["F13"].value, "=SUBTOTAL(9,F9:F12)");

    // ⑪ ⑫ ⑬ as formulas over the rows, with the page's values stored.
    EXPECT_EQ(cells["D17"].value, "=SUBTOTAL(9,F9:F15)");
    EXPECT_EQ(cells["G17"].value, "=SUBTOTAL(9,G9:G15)+SUBTOTAL(9,H9:H15)");
    EXPECT_EQ(cells["I17"].value, "=IF(D17=0,0,G17/D17*100)");
    const std::vector<std::string> totals = {KmText(std::stod(cells["D17"].cached)),
                                             KmText(std::stod(cells["G17"].cached)),
                                             FixedText(std::stod(cells["I17"].cached), 1)};
    EXPECT_EQ(totals, KmArguments(statements[statements.size() - 3]));
}

TEST_F(LogXlsxTest, RefundClaimIsAFormulaInWholeWon) {
    const fs::path path = dir_ / "refund.xlsx";
    std::string error;
    ASSERT_TRUE(WriteRefundXlsx(SampleRefund(), path.string(), error)) << error;
    auto cells = ReadBack(path);
    EXPECT_EQ(cells["F7"].cached, "99");
    EXPECT_EQ(cells["F10"].value, "=SUM(F7:F8)");
    EXPECT_EQ(cells["F10"].cached, "119");
    EXPECT_EQ(cells["F13"].value, "=IF(F11=0,0,ROUND(F12*F10/F11,0))");
    EXPECT_EQ(WonText(std::stod(cells["F13"].cached)), "17,167원");
}

TEST_F(LogXlsxTest, AFolderThatIsNotThereIsAnErrorNotAFile) {
    std::string error;
    EXPECT_FALSE(WriteLogXlsx(SampleLog(), (dir_ / "missing" / "log.xlsx").string(), error));
    EXPECT_NE(error.find("missing/log.xlsx"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_empty(dir_));
}

}  // namespace
}  // namespace ml::ledger
