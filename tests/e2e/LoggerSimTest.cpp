// The logger simulator's own command line: a typo in a test's flags must
// fail loudly instead of playing a logger without the fault, and an idle
// simulator ends by itself when asked. (What it does on the line is seen
// through the download tests that use it.)
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace ml::test {
namespace {

TEST(LoggerSim, ExitsAfterTheIdleTimeAndRefusesABadCommandLineInOneLine) {
    const ProcessResult idle = RunProcess({LoggerSimPath(), "--demo", "mtk", "--exit-after-idle", "0.2"}, {}, {}, 10);
    EXPECT_EQ(idle.exitCode, 0) << idle.err;
    EXPECT_EQ(idle.out.rfind("PORT /dev/pts/", 0), 0u) << idle.out;
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    } cases[] = {
        {{LoggerSimPath(), "--demo", "mtk", "--bogus"}, 2, "loggersim: unknown option '--bogus' (see --help)\n"},
        {{LoggerSimPath(), "--mtk-image", "/nonexistent/log.bin"},
         1,
         "loggersim: cannot open /nonexistent/log.bin: No such file or directory\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunProcess(c.args, {}, {}, 10);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.message;
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
}  // namespace ml::test
