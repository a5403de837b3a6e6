// The program's own download state machines against the simulated loggers,
// with nothing but a byte queue between them: the built-in demo log must
// arrive whole through either protocol.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>

#include "protocol/MtkDownload.h"
#include "protocol/MtkLogDecoder.h"
#include "protocol/PhlxExchange.h"
#include "tests/support/TestSupport.h"
#include "tools/loggersim/DemoLog.h"
#include "tools/loggersim/MtkLoggerModel.h"
#include "tools/loggersim/PhlxLoggerModel.h"

namespace ml::sim {
namespace {

// Runs a download to its end: whatever the program writes goes to the
// logger, whose answer is fed back in reads of at most `readSize` bytes; an
// empty line is the silence that ends a data phase.
template <typename Machine>
void RunDownload(Machine& machine, SimulatedLogger& logger, size_t readSize) {
    std::string line;
    for (int step = 0; step < 1000000 && !machine.Finished(); ++step) {
        const OutgoingCommand out = machine.TakeOutgoing();
        if (!out.empty()) {
            if (out.purgeFirst) line.clear();
            line += logger.Receive(out.bytes);
        }
        if (line.empty()) {
            machine.OnSilence();
            continue;
        }
        const size_t n = std::min(readSize, line.size());
        machine.Feed(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(line.data()), n));
        line.erase(0, n);
    }
}

size_t FixCount(const std::vector<FixList>& drives) {
    size_t count = 0;
    for (const auto& d : drives) count += d.size();
    return count;
}

// What a download hands to the ledger is right only up to the first data
// sentence that never came; the flash id gives the memory's size.
TEST(LoggerSimLoopback, AReadWithALostSentenceIsTrustedUpToTheGap) {
    MtkLoggerOptions options;
    options.dropChunks = {3};
    options.flashSize = 2u * 1024 * 1024;
    MtkLoggerModel logger(DemoMtkImage(), options);
    MtkDownload download;
    RunDownload(download, logger, 4096);
    ASSERT_EQ(download.outcome(), MtkOutcome::Completed);
    EXPECT_EQ(download.progress().flashBytes, options.flashSize);
    const MtkReceived received = download.Received();
    EXPECT_FALSE(received.incremental);
    EXPECT_EQ(received.intactBytes, 3u * 2048);
    ASSERT_EQ(received.ranges.size(), 1u);
    EXPECT_EQ(received.ranges[0].end, logger.image().size() - 2048);
    EXPECT_EQ(logger.Stats(), "reads 1\nmemory-bytes " + std::to_string(logger.image().size() - 2048) + "\n");
}

TEST(LoggerSimLoopback, MtkDownloadReadsTheDemoLogWhole) {
    const std::vector<FixList> drives = DemoDrives();
    MtkLoggerModel logger(DemoMtkImage(), {});
    MtkDownload download;
    RunDownload(download, logger, 4096);
    ASSERT_EQ(download.outcome(), MtkOutcome::Completed);
    EXPECT_EQ(download.progress().recordCount, static_cast<int32_t>(FixCount(drives)));
    EXPECT_EQ(download.progress().received, logger.image().size());
    FixList fixes;
    DecodeLogImage(download.logImage(), fixes);
    ASSERT_EQ(fixes.size(), FixCount(drives));
    size_t i = 0;
    for (const FixList& drive : drives) {
        for (const FixRecord& expected : drive) {
            EXPECT_EQ(fixes[i].time, expected.time) << i;
            EXPECT_EQ(fixes[i].latitude, expected.latitude) << i;
            EXPECT_EQ(fixes[i].longitude, expected.longitude) << i;
            ++i;
        }
    }
}

TEST(LoggerSimLoopback, MtkDownloadOfRealCapturesGivesTheirBytesBack) {
    if (test::SamplesDir().empty()) GTEST_SKIP() << "no sample captures";
    for (const char* name : {"capture-a.bin", "capture-b.bin", "capture-c-5-sectors.bin"}) {
        const std::vector<uint8_t> capture = test::ReadBytes(test::SamplesDir() + "/mtk/" + name);
        MtkLoggerOptions options;
        options.chunkSize = 1024;
        MtkLoggerModel logger(capture, options);
        MtkDownload download;
        RunDownload(download, logger, 4096);
        ASSERT_EQ(download.outcome(), MtkOutcome::Completed) << name;
        const std::span<const uint8_t> image = download.logImage();
        EXPECT_TRUE(std::equal(image.begin(), image.end(), capture.begin(), capture.end())) << name;
    }
}

TEST(LoggerSimLoopback, PhlxExchangeReadsTheDemoLogWhole) {
    test::ScopedTimeZone seoul("KST-9");
    const std::vector<FixList> drives = DemoDrives();
    PhlxLoggerOptions options;
    options.packageSize = 500;
    PhlxLoggerModel logger(DemoPhlxLogbook(), options);
    PhlxExchange exchange;
    RunDownload(exchange, logger, 100);
    ASSERT_EQ(exchange.outcome(), PhlxOutcome::Completed);
    EXPECT_EQ(exchange.rejectedPackages(), 0u);
    EXPECT_EQ(exchange.history().size(), drives.size());
    ASSERT_EQ(exchange.fixes().size(), FixCount(drives));
    size_t i = 0;
    for (const FixList& drive : drives) {
        for (const FixRecord& expected : drive) {
            EXPECT_EQ(exchange.fixes()[i].time, expected.time) << i;
            EXPECT_EQ(exchange.fixes()[i].latitude, expected.latitude) << i;
            ++i;
        }
    }
}

TEST(LoggerSimLoopback, InjectedFaultsReachTheProgramAsTheyWould) {
    MtkLoggerOptions mtkOptions;
    mtkOptions.chunkSize = 1000;
    mtkOptions.badChecksumEvery = 3;
    MtkLoggerModel mtk(DemoMtkImage(), mtkOptions);
    MtkDownload download;
    RunDownload(download, mtk, 4096);
    ASSERT_EQ(download.outcome(), MtkOutcome::Completed);
    const size_t chunks = (mtk.image().size() + 999) / 1000;
    EXPECT_EQ(download.crcErrors(), chunks / 3);
    EXPECT_EQ(download.missingSentences(), chunks / 3);
    EXPECT_EQ(download.progress().received, mtk.image().size() - chunks / 3 * 1000);

    PhlxLoggerOptions phlxOptions;
    phlxOptions.badPackageChecks = {2};
    PhlxLoggerModel phlx(DemoPhlxLogbook(), phlxOptions);
    PhlxExchange exchange;
    RunDownload(exchange, phlx, 4096);
    EXPECT_EQ(exchange.rejectedPackages(), 1u);
    EXPECT_EQ(exchange.outcome(), PhlxOutcome::PackageDamaged);
}

TEST(LoggerSimLoopback, DemoDrivesArePlausibleCityDriving) {
    const std::vector<FixList> drives = DemoDrives();
    ASSERT_EQ(drives.size(), 4u);
    for (const FixList& drive : drives) {
        ASSERT_GT(drive.size(), 50u);
        for (size_t i = 1; i < drive.size(); ++i) {
            EXPECT_EQ(drive[i].time - drive[i - 1].time, 5);
            EXPECT_LT(drive[i].speed, 80.0f);
            EXPECT_NEAR(drive[i].latitude, 37.5f, 0.2f);
            EXPECT_NEAR(drive[i].longitude, 127.0f, 0.2f);
        }
    }
    // Hours apart, so every drive becomes its own track.
    for (size_t d = 1; d < drives.size(); ++d) {
        EXPECT_GT(drives[d].front().time - drives[d - 1].back().time, 3600);
    }
}

}  // namespace
}  // namespace ml::sim
