// mileledger-cli read and erase against the logger simulator: what is
// printed and saved, and the exit status and message of each failure.
#include <gtest/gtest.h>

#include <unistd.h>

#include "tests/support/AcquireSimData.h"
#include "tests/support/LoggerSimProcess.h"
#include "tests/support/TestSupport.h"

namespace ml::test {
namespace {

class CliRead : public ::testing::Test {
protected:
    void SetUp() override {
        if (!FileExists(LoggerSimPath()) || !FileExists(CliPath())) GTEST_SKIP() << "tools not built";
        WriteBytes(dir.File("log.bin"), image);
        WriteText(dir.File("records.txt"), AcquirePhlxRecords(drives));
    }
    ProcessResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), CliPath());
        return RunProcess(args, {"MILELEDGER_SETTINGS=" + dir.File("Setting.ini"), "TZ=Asia/Seoul"}, {}, 60);
    }
    static size_t Lines(const std::string& text) { return size_t(std::count(text.begin(), text.end(), '\n')); }
    // What the simulator received once it holds `needle`.
    static std::string ReceivedOnce(const LoggerSimProcess& sim, const std::string& needle) {
        std::string got;
        for (int i = 0; i < 200 && (got = sim.Received()).find(needle) == std::string::npos; ++i) usleep(10000);
        return got;
    }

    TempDir dir;
    std::vector<FixList> drives = AcquireDrives(3, 40);
    std::vector<uint8_t> image = AcquireMtkImage(drives);
};

TEST_F(CliRead, DownloadsAnMtkLoggerPrintsTracksSavesAndDumps) {
    LoggerSimProcess sim({"--mtk-image", dir.File("log.bin")});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const auto result =
        Cli({"read", "--port", sim.port(), "--out", dir.File("trips.dat"), "--dump", dir.File("dump.bin")});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Lines(result.out), 3u);
    EXPECT_EQ(result.out.rfind("Track2026/11/30_", 0), 0u) << result.out;
    EXPECT_EQ(result.err.find('\r'), std::string::npos) << "no progress line when stderr is not a terminal";
    EXPECT_NE(result.err.find("120 fixes, 3 tracks"), std::string::npos) << result.err;
    EXPECT_TRUE(FileExists(dir.File("trips.dat")));
    // The dump is the logger's memory as received, ready for `decode`.
    EXPECT_EQ(ReadBytes(dir.File("dump.bin")), image);
    // A PHLX logger has no memory image to dump.
    LoggerSimProcess phlx({"--phlx-records", dir.File("records.txt")});
    ASSERT_TRUE(phlx.ok()) << phlx.error();
    const auto records = Cli({"read", "--port", phlx.port(), "--dump", dir.File("phlx.bin")});
    ASSERT_EQ(records.exitCode, 0) << records.err;
    EXPECT_EQ(Lines(records.out), 3u);
    EXPECT_NE(records.err.find("no memory image"), std::string::npos) << records.err;
    EXPECT_FALSE(FileExists(dir.File("phlx.bin")));
}

TEST_F(CliRead, TheFileIsSavedBeforeOutputAndAFailedDumpCancelsNothing) {
    LoggerSimProcess sim({"--mtk-image", dir.File("log.bin")});
    ASSERT_TRUE(sim.ok()) << sim.error();
    // Standard output full, dump folder missing: the tracks are still saved.
    const auto full = RunProcess({"/bin/sh", "-c", "exec \"$0\" \"$@\" >/dev/full", CliPath(), "read", "--port",
                                  sim.port(), "--out", dir.File("trips.dat"), "--dump", dir.File("no/dump.bin")},
                                 {"MILELEDGER_SETTINGS=" + dir.File("Setting.ini")});
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_TRUE(FileExists(dir.File("trips.dat")));
    EXPECT_NE(full.err.find("cannot write " + dir.File("no/dump.bin") + ": No such file or directory"),
              std::string::npos)
        << full.err;
    // A link planted where a fixed temporary name would be is not followed.
    WriteText(dir.File("victim"), "victim");
    ASSERT_EQ(symlink(dir.File("victim").c_str(), dir.File("dump.bin.part").c_str()), 0);
    EXPECT_EQ(Cli({"read", "--port", sim.port(), "--dump", dir.File("dump.bin")}).exitCode, 0);
    EXPECT_EQ(ReadText(dir.File("victim")), "victim");
    EXPECT_EQ(ReadBytes(dir.File("dump.bin")), image);
}

// With no ledger nothing of the log is stored: erase refuses without --yes
// (sending nothing), and --force erases after saying what is lost.
TEST_F(CliRead, EraseNeedsYesAndForceErasesAfterTheWarning) {
    LoggerSimProcess sim({"--mtk-image", dir.File("log.bin")});
    ASSERT_TRUE(sim.ok()) << sim.error();
    const auto refused = Cli({"erase", "--port", sim.port()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("--yes"), std::string::npos) << refused.err;
    const auto result = Cli({"erase", "--port", sim.port(), "--yes", "--force"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("경고: 로거에 원장에 아직 없는 데이터가 있습니다"), std::string::npos) << result.err;
    const std::string received = ReceivedOnce(sim, "$PMTK182,6,1*3E\r\n");
    EXPECT_TRUE(received.ends_with("$PMTK182,6,1*3E\r\n")) << received;
    EXPECT_EQ(received.find("$PHLX810*35"), received.rfind("$PHLX810*35")) << "one model query";
}

// Failures: the exit status and the line on stderr ("@" is the port).
struct Failure {
    const char* name;
    std::vector<std::string> simFlags;  // none: a port that does not exist
    std::vector<std::string> args;
    int exitCode;
    std::string message;
    friend void PrintTo(const Failure& f, std::ostream* out) { *out << f.name; }
};

class CliReadFails : public CliRead, public ::testing::WithParamInterface<Failure> {};

TEST_P(CliReadFails, WithItsStatusAndMessage) {
    const Failure& f = GetParam();
    std::string port = "/dev/mileledger-none";
    std::unique_ptr<LoggerSimProcess> sim;
    if (!f.simFlags.empty()) {
        std::vector<std::string> flags = {"--mtk-image", dir.File("log.bin")};
        flags.insert(flags.end(), f.simFlags.begin(), f.simFlags.end());
        sim = std::make_unique<LoggerSimProcess>(flags);
        ASSERT_TRUE(sim->ok()) << sim->error();
        port = sim->port();
    }
    std::vector<std::string> args = {f.args[0], "--port", port};
    if (f.args[0] == "read") args.insert(args.end(), {"--out", dir.File("trips.dat")});
    args.insert(args.end(), f.args.begin() + 1, f.args.end());
    const auto result = Cli(args);
    EXPECT_EQ(result.exitCode, f.exitCode) << result.err;
    std::string message = f.message;
    for (size_t at; (at = message.find('@')) != std::string::npos;) message.replace(at, 1, port);
    EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    EXPECT_EQ(FileExists(dir.File("trips.dat")), f.exitCode == 3) << "only an incomplete read saves";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CliReadFails,
    ::testing::Values(
        Failure{"Incomplete",
                {"--chunk-size", "256", "--drop-chunk", "10"},
                {"read"},
                3,
                "바이트 수신, 데이터 문장 1개 누락"},
        Failure{"NoPort", {}, {"read"}, 1, "오류: @ Serial open 실패 (No such file or directory)"},
        Failure{"Silent", {"--silence-after", "0"}, {"read", "--timeout", "1"}, 1, "오류: @ 포트에서 응답이 없습니다"},
        Failure{"EraseNoPort", {}, {"erase", "--yes"}, 1, "@ Serial open 실패"},
        Failure{"EraseSilent", {"--silence-after", "0"}, {"erase", "--yes"}, 1, "@ 포트에서 응답이 없습니다"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ml::test
