#pragma once
// Shared pieces of the read-log and erase-log tests: a session on the port
// of a running logger simulator, and comparisons of fixes and tracks.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "acquire/ReadLogFlow.h"
#include "acquire/Session.h"
#include "core/TrackBuilder.h"
#include "tests/support/AcquireRecordingUi.h"
#include "tests/support/LoggerSimProcess.h"
#include "tests/support/TestSupport.h"

namespace ml::test {

class AcquireFlowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        if (!FileExists(LoggerSimPath())) GTEST_SKIP() << "loggersim is not built";
        // Short limits keep the fault tests quick; the clean downloads
        // never come near them.
        session.options.replyTimeoutMs = 1500;
        session.options.progressInterval = std::chrono::milliseconds(50);
    }

    // Starts the simulator; the session's only port entry is its port.
    LoggerSimProcess& StartSim(const std::vector<std::string>& flags) {
        sim = std::make_unique<LoggerSimProcess>(flags);
        EXPECT_TRUE(sim->ok()) << sim->error();
        session.portList = {PortEntry{"loggersim", sim->port(), sim->port()}};
        return *sim;
    }

    // True once `condition` holds, false after `limitMs`.
    template <typename Condition>
    static bool WaitFor(Condition condition, int limitMs = 10000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }

    // What the simulator received, once it holds `needle` (the simulator
    // logs a moment after the bytes arrive).
    std::string ReceivedOnce(const std::string& needle) const {
        std::string got;
        WaitFor([&] { return (got = sim->Received()).find(needle) != std::string::npos; }, 2000);
        return got;
    }

    // A file in the test's folder with the given bytes.
    std::string WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        WriteBytes(dir.File(name), bytes);
        return dir.File(name);
    }
    std::string WriteFile(const std::string& name, const std::string& text) {
        WriteText(dir.File(name), text);
        return dir.File(name);
    }

    // One whole read-log as the window runs it: the port chosen, the
    // question, the worker's run.
    ReadLogOutcome ReadLog(AcquireRecordingUi& ui, int portIndex = 0) {
        ReadLogFlow flow(session, ui);
        flow.StartReadLog(portIndex);
        return flow.RunReadLog();
    }

    // Something in memory before a download: one track of two fixes.
    void PutOldData() {
        FixList fixes(2);
        fixes[0].time = 1000000000;
        fixes[0].latitude = 35.0f;
        fixes[1].time = 1000000001;
        fixes[1].latitude = 35.001f;
        TrackBuildOptions options;
        BuildTracks(fixes, session.tracks, options);
        session.fixes = fixes;
        ASSERT_EQ(session.tracks.size(), 1u);
    }
    void ExpectOldData() const {
        ASSERT_EQ(session.tracks.size(), 1u);
        EXPECT_EQ(session.tracks[0].fixes.size(), 2u);
        ASSERT_EQ(session.fixes.size(), 2u);
        EXPECT_EQ(session.fixes[0].time, 1000000000);
    }

    static void ExpectSameFixes(const FixList& actual, const FixList& expected) {
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t i = 0; i < actual.size(); ++i) {
            SCOPED_TRACE("fix " + std::to_string(i));
            EXPECT_EQ(actual[i].time, expected[i].time);
            EXPECT_EQ(actual[i].latitude, expected[i].latitude);
            EXPECT_EQ(actual[i].longitude, expected[i].longitude);
            EXPECT_EQ(actual[i].speed, expected[i].speed);
            EXPECT_EQ(actual[i].height, expected[i].height);
        }
    }

    // The tracks BuildTracks makes of `fixes` with the session's cut time.
    TrackList ExpectedTracks(FixList fixes) const {
        TrackList tracks;
        TrackBuildOptions options;
        options.cutSeconds = session.cutSeconds;
        BuildTracks(fixes, tracks, options);
        return tracks;
    }

    static void ExpectSameTracks(const TrackList& actual, const TrackList& expected) {
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t i = 0; i < actual.size(); ++i) {
            EXPECT_EQ(actual[i].name, expected[i].name);
            EXPECT_EQ(actual[i].distanceText, expected[i].distanceText);
            EXPECT_EQ(actual[i].fixes.size(), expected[i].fixes.size());
        }
    }

    TempDir dir;
    Session session;
    std::unique_ptr<LoggerSimProcess> sim;
};

// Counts the non-overlapping occurrences of `needle`.
inline size_t AcquireCount(const std::string& haystack, const std::string& needle) {
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + needle.size())) {
        ++count;
    }
    return count;
}

}  // namespace ml::test
