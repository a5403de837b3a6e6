// The simulator's command line: tests start it with these flags, so a typo
// must fail loudly instead of running a fault-free logger.
#include <gtest/gtest.h>

#include "tools/loggersim/SimOptions.h"

namespace ml::sim {
namespace {

// The other flags are read by the end-to-end tests that start the simulator.
TEST(LoggerSimOptions, ReadsTheFlagsNoEndToEndTestUses) {
    const SimOptionsResult r = ParseSimOptions({"--demo", "mtk", "--drop-chunk", "3,5", "--drop-chunk", "9",
                                                "--garbage-between", "--extra-records", "4", "-v", "--pace"});
    ASSERT_EQ(r.error, "");
    EXPECT_TRUE(r.options.demo);
    EXPECT_EQ(r.options.kind, SimOptions::Kind::Mtk);
    EXPECT_EQ(r.options.dropChunks, (std::set<size_t>{3, 5, 9}));
    EXPECT_TRUE(r.options.garbageBetween);
    EXPECT_EQ(r.options.extraRecords, 4u);
    EXPECT_TRUE(r.options.verbose);
    EXPECT_TRUE(r.options.pace);  // timing only: no download notices it
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
