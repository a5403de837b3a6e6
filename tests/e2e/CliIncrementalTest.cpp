// Downloads that read only what the ledger lacks, go on after a hang-up,
// and erases that lose nothing: mileledger-cli against the logger simulator,
// counting the memory bytes it sent.
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <filesystem>

#include "core/FormText.h"
#include "protocol/MtkReadPlan.h"
#include "tests/support/AcquireSimData.h"
#include "tests/support/LoggerSimProcess.h"
#include "tests/support/TestSupport.h"

namespace ml::test {
namespace {

constexpr const char* kCar = "12가3456";

std::string Grouped(uint64_t n) { return GroupedText(static_cast<double>(n), 0); }

class CliIncremental : public ::testing::Test {
protected:
    void SetUp() override {
        if (!FileExists(LoggerSimPath()) || !FileExists(CliPath())) GTEST_SKIP() << "tools not built";
        grown = AcquireMtkImageOfSize(200000);
        // Last week the logger stood inside its third sector, whose header
        // still said "unfinished" (count 0xFFFF); it has been closed since.
        week = std::vector<uint8_t>(grown.begin(), grown.begin() + kWeek);
        week[2 * kMtkSectorBytes] = week[2 * kMtkSectorBytes + 1] = 0xFF;
        WriteBytes(dir.File("week.bin"), week);
        WriteBytes(dir.File("grown.bin"), grown);
    }

    ProcessResult Cli(std::vector<std::string> args, const std::string& ledger = "ledger.sqlite3") {
        args.insert(args.begin(), CliPath());
        return RunProcess(args,
                          {"MILELEDGER_SETTINGS=" + dir.File("Setting.ini"), "MILELEDGER_LEDGER=" + dir.File(ledger),
                           "TZ=Asia/Seoul", "MILELEDGER_PORTS=" + ports});
    }
    // A logger holding `image`; its counters go to the file "stats".
    std::unique_ptr<LoggerSimProcess> Logger(const std::string& image, std::vector<std::string> more = {}) {
        std::vector<std::string> flags = {"--mtk-image", dir.File(image), "--stats", dir.File("stats")};
        flags.insert(flags.end(), more.begin(), more.end());
        auto sim = std::make_unique<LoggerSimProcess>(flags);
        EXPECT_TRUE(sim->ok()) << sim->error();
        return sim;
    }
    ProcessResult Read(const LoggerSimProcess& sim, std::vector<std::string> more = {}) {
        std::vector<std::string> args = {"ledger", "read", "--port", sim.port(), "--car", kCar};
        args.insert(args.end(), more.begin(), more.end());
        return Cli(args);
    }
    uint64_t MemoryBytesSent() const {
        const std::string stats = ReadText(dir.File("stats"));
        const size_t at = stats.find("memory-bytes ");
        return at == std::string::npos ? 0 : std::stoull(stats.substr(at + 13));
    }
    // The trips a ledger holds after importing `image` whole.
    std::string TripsOfWholeImport(const std::string& image) {
        EXPECT_EQ(Cli({"ledger", "import", dir.File(image), "--car", kCar}, "reference.sqlite3").exitCode, 0);
        return Cli({"ledger", "trips", "--car", kCar}, "reference.sqlite3").out;
    }
    std::string Trips() { return Cli({"ledger", "trips", "--car", kCar}).out; }

    static constexpr uint32_t kWeek = 150000;
    TempDir dir;
    std::string ports;
    std::vector<uint8_t> grown, week;
};

TEST_F(CliIncremental, AGrownLogIsReadFromWhereTheLedgerEndsAndAnErasedOneWhole) {
    {
        auto sim = Logger("week.bin");
        const auto first = Read(*sim);
        ASSERT_EQ(first.exitCode, 0) << first.err;
        EXPECT_NE(first.err.find("전체를 읽는 중: 150,000 bytes"), std::string::npos) << first.err;
        EXPECT_EQ(MemoryBytesSent(), kWeek);
    }
    {
        auto sim = Logger("grown.bin");
        const auto second = Read(*sim);
        ASSERT_EQ(second.exitCode, 0) << second.err;
        // The new bytes, the compared chunk and the open sector's header.
        const uint64_t expected = grown.size() - kWeek + kMtkCompareBytes + kMtkHeaderBytes;
        EXPECT_EQ(MemoryBytesSent(), expected);
        EXPECT_NE(
            second.err.find("새 데이터만 읽는 중: " + Grouped(expected) + " / " + Grouped(grown.size()) + " bytes"),
            std::string::npos)
            << second.err;
        EXPECT_NE(second.err.find("로거 메모리: "), std::string::npos) << second.err;
    }
    EXPECT_EQ(Trips(), TripsOfWholeImport("grown.bin"));

    // Erased and written again with more: the compared chunk differs, and
    // everything is read.
    const std::vector<uint8_t> other = AcquireMtkImageOfSize(210000, kAcquireFirstTime + 86400 * 7);
    WriteBytes(dir.File("other.bin"), other);
    auto sim = Logger("other.bin");
    const auto third = Read(*sim);
    EXPECT_EQ(third.exitCode, 0) << third.err;
    EXPECT_NE(third.err.find("지워졌거나"), std::string::npos) << third.err;
    EXPECT_EQ(MemoryBytesSent(), other.size() + kMtkCompareBytes + kMtkHeaderBytes);
}

TEST_F(CliIncremental, ADownloadCutByAHangUpIsKeptAndTheNextOneGoesOnFromThere) {
    {
        auto sim = Logger("grown.bin", {"--hangup-after", "250000"});
        const auto cut = Read(*sim);
        EXPECT_EQ(cut.exitCode, 1);
        EXPECT_NE(cut.err.find("kept as download 1"), std::string::npos) << cut.err;
        EXPECT_EQ(Trips(), "") << "a partial download is not cut into trips";
        // Unless the user asks.
        const auto kept = Cli({"ledger", "import", "--download", "1", "--car", kCar});
        EXPECT_EQ(kept.exitCode, 0) << kept.err;
        EXPECT_NE(Trips(), "");
    }
    auto sim = Logger("grown.bin");
    const auto resumed = Read(*sim);
    ASSERT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_NE(resumed.err.find("새 데이터만 읽는 중"), std::string::npos) << resumed.err;
    EXPECT_LT(MemoryBytesSent(), grown.size());
    EXPECT_EQ(Trips(), TripsOfWholeImport("grown.bin"));
}

TEST_F(CliIncremental, EraseIsRefusedWhileTheLoggerHoldsUnreadDataAndAllowedAfterARead) {
    {
        auto sim = Logger("week.bin");
        ASSERT_EQ(Read(*sim).exitCode, 0);
    }
    auto sim = Logger("grown.bin");
    const auto refused = Cli({"erase", "--port", sim->port(), "--car", kCar, "--yes"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("원장에 아직 없는 데이터가 있습니다: " + Grouped(grown.size() - kWeek) + " bytes"),
              std::string::npos)
        << refused.err;
    EXPECT_EQ(sim->Received().find("$PMTK182,6"), std::string::npos);

    ASSERT_EQ(Read(*sim).exitCode, 0);
    const auto erased = Cli({"erase", "--port", sim->port(), "--car", kCar, "--yes"});
    EXPECT_EQ(erased.exitCode, 0) << erased.err;
    for (int i = 0; i < 200 && sim->Received().find("$PMTK182,6,1*3E") == std::string::npos; ++i) usleep(10000);
    EXPECT_NE(sim->Received().find("$PMTK182,6,1*3E"), std::string::npos);
}

// The simulator named by a link, as the README shows it.
TEST_F(CliIncremental, PortAutoFindsTheLoggerAmongSilentPorts) {
    int masters[2], slaves[2];
    char names[2][128];
    for (int i = 0; i < 2; ++i) ASSERT_EQ(openpty(&masters[i], &slaves[i], names[i], nullptr, nullptr), 0);
    const std::string link = dir.File("logger");
    auto sim = Logger("week.bin", {"--link", link});
    ports = std::string(names[0]) + ":" + names[1] + ":" + link;
    const auto result = Cli({"read", "--port", "auto"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("logger MTK-3339 on " + link), std::string::npos) << result.err;
    sim.reset();
    EXPECT_FALSE(std::filesystem::is_symlink(link)) << "the simulator removes its link";
    for (int i = 0; i < 2; ++i) {
        close(masters[i]);
        close(slaves[i]);
    }
}

}  // namespace
}  // namespace ml::test
