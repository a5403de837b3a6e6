// The simulator's command line: tests start it with these flags, so a typo
// must fail loudly instead of running a fault-free logger.
#include <gtest/gtest.h>

#include "tools/loggersim/SimOptions.h"

namespace ml::sim {
namespace {

TEST(LoggerSimOptions, ReadsALoggerAndItsFaults) {
    const SimOptionsResult r = ParseSimOptions({"--phlx-records",
                                                "logs.txt",
                                                "--drop-chunk",
                                                "3,5",
                                                "--drop-chunk",
                                                "9",
                                                "--bad-package-check",
                                                "0",
                                                "--silence-after",
                                                "0",
                                                "--hangup-after",
                                                "2500",
                                                "--chunk-size",
                                                "320",
                                                "--pace",
                                                "--garbage-between",
                                                "--exit-after-idle",
                                                "1.5",
                                                "--link",
                                                "/tmp/l",
                                                "--extra-records",
                                                "4"});
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.options.kind, SimOptions::Kind::Phlx);
    EXPECT_EQ(r.options.phlxRecords, "logs.txt");
    EXPECT_EQ(r.options.dropChunks, (std::set<size_t>{3, 5, 9}));
    EXPECT_EQ(r.options.badPackageChecks, (std::set<size_t>{0}));
    EXPECT_EQ(r.options.silenceAfter, 0u);
    EXPECT_EQ(r.options.hangupAfter, 2500u);
    EXPECT_EQ(r.options.chunkSize, 320u);
    EXPECT_TRUE(r.options.pace);
    EXPECT_TRUE(r.options.garbageBetween);
    EXPECT_DOUBLE_EQ(r.options.exitAfterIdle, 1.5);
    EXPECT_EQ(r.options.linkPath, "/tmp/l");
    EXPECT_EQ(r.options.extraRecords, 4u);
}

TEST(LoggerSimOptions, DemoNamesTheLoggerKind) {
    const SimOptionsResult r = ParseSimOptions({"--demo", "mtk", "-v"});
    ASSERT_EQ(r.error, "");
    EXPECT_TRUE(r.options.demo);
    EXPECT_EQ(r.options.kind, SimOptions::Kind::Mtk);
    EXPECT_TRUE(r.options.verbose);
}

TEST(LoggerSimOptions, MistakesAreRefusedWithAReason) {
    EXPECT_EQ(ParseSimOptions({}).error,
              "say which logger to play: --mtk-image FILE, --phlx-records FILE or --demo mtk|phlx");
    EXPECT_EQ(ParseSimOptions({"--demo", "mtk", "--mtk-image", "a.bin"}).error,
              "give only one of --mtk-image, --phlx-records and --demo");
    EXPECT_EQ(ParseSimOptions({"--demo", "gps"}).error, "--demo takes mtk or phlx, not 'gps'");
    EXPECT_EQ(ParseSimOptions({"--demo", "mtk", "--chunk-size", "0"}).error, "--chunk-size must be from 1 to 65536");
    EXPECT_EQ(ParseSimOptions({"--demo", "mtk", "--drop-chunk", "3,,5"}).error,
              "--drop-chunk needs indexes like 3 or 3,5, not '3,,5'");
    EXPECT_EQ(ParseSimOptions({"--demo", "mtk", "--silence-after", "-1"}).error,
              "--silence-after needs a whole number, not '-1'");
    EXPECT_EQ(ParseSimOptions({"--demo", "mtk", "--exit-after-idle", "0"}).error,
              "--exit-after-idle needs seconds (more than 0, at most 86400)");
    EXPECT_EQ(ParseSimOptions({"--demo", "mtk", "--log"}).error, "--log needs a value");
    EXPECT_EQ(ParseSimOptions({"--demo", "mtk", "--bad-checksum-every", "0"}).error,
              "--bad-checksum-every must be 1 or more");
}

}  // namespace
}  // namespace ml::sim
