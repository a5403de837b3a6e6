// The geocoding client against a real HTTP server on 127.0.0.1.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/DiagLog.h"
#include "core/TrackBuilder.h"
#include "store/platform/GeocodingClient.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/TestSupport.h"

namespace ml {
namespace {

using test::HttpScriptedReply;
using test::HttpTestServer;
using Clock = std::chrono::steady_clock;

constexpr char kKey[] = "AIzaSyTEST-key_0123456789abcdefghijklm";

std::string AddressReply(const std::string& address) {
    return R"({"results":[{"formatted_address":")" + address +
           R"(","types":["street_address"]}],"status":"OK"})";
}

HttpScriptedReply Ok(std::string body) {
    HttpScriptedReply reply;
    reply.body = std::move(body);
    return reply;
}

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A listening socket whose accept queue is full: Linux then drops further
// connection attempts, so a connect to it waits like one to a dead host.
class SilentListener {
public:
    SilentListener() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(fd_, 0) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        // Fill the queue with connections nobody accepts.
        for (int i = 0; i < 2; ++i) {
            const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            ::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof(address));
            fillers_.push_back(client);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~SilentListener() {
        for (const int fd : fillers_) ::close(fd);
        if (fd_ >= 0) ::close(fd_);
    }
    bool ok() const { return port_ != 0; }
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
    std::vector<int> fillers_;
};

class GeocodingClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.ok()); }

    GeocodingConfig Config() const {
        GeocodingConfig config;
        config.baseUrl = server_.baseUrl();
        config.key = kKey;
        config.connectivityCheckUrl = server_.baseUrl() + "/";
        config.connectTimeoutMs = 1000;
        config.requestTimeoutMs = 700;
        config.checkTimeoutMs = 1000;
        return config;
    }

    HttpTestServer server_;
};

TEST_F(GeocodingClientTest, SendsTheExactRequestAndKeepsCommasInTheAddress) {
    server_.Enqueue(Ok(AddressReply("110 Sejong-daero, Jung-gu, Seoul, South Korea")));
    GeocodingClient client(Config());
    ASSERT_TRUE(client.OpenInternet());
    EXPECT_EQ(client.ReverseGeocode(37.5, 127.25), "110 Sejong-daero, Jung-gu, Seoul, South Korea");
    ASSERT_EQ(server_.RequestCount(), 1u);
    EXPECT_EQ(server_.RequestLines()[0],
              std::string("GET /maps/api/geocode/json?latlng=37.500000,127.250000&&key=") + kKey +
                  "&language=ko HTTP/1.1");
    EXPECT_NE(server_.Requests()[0].headers.find("User-Agent: HTTPTEST\r\n"), std::string::npos);
}

TEST_F(GeocodingClientTest, KoreanAddressArrivesAsUtf8) {
    server_.Enqueue(Ok(AddressReply("대한민국 서울특별시 중구 세종대로 110")));
    GeocodingClient client(Config());
    EXPECT_EQ(client.ReverseGeocode(37.566295, 126.977945), "대한민국 서울특별시 중구 세종대로 110");
}

TEST_F(GeocodingClientTest, ErrorRepliesGiveNoData) {
    HttpScriptedReply denied;
    denied.status = 200;
    denied.body = R"({"error_message":"The provided API key is invalid.","results":[],"status":"REQUEST_DENIED"})";
    server_.Enqueue(denied);
    HttpScriptedReply forbidden;
    forbidden.status = 403;
    forbidden.body = AddressReply("an error page is not an answer");
    server_.Enqueue(forbidden);
    HttpScriptedReply broken;
    broken.status = 500;
    broken.contentType = "text/html";
    broken.body = "<html>Internal Server Error</html>";
    server_.Enqueue(broken);

    GeocodingClient client(Config());
    EXPECT_EQ(client.ReverseGeocode(1, 2), "No Data");
    EXPECT_EQ(client.ReverseGeocode(1, 2), "No Data");
    EXPECT_EQ(client.replyStatus(), 403);
    EXPECT_EQ(client.ReverseGeocode(1, 2), "No Data");
    EXPECT_EQ(server_.RequestCount(), 3u);
}

TEST_F(GeocodingClientTest, EmptyReplyGivesNoData) {
    server_.Enqueue(Ok(""));
    server_.Enqueue(Ok("{}"));
    GeocodingClient client(Config());
    EXPECT_EQ(client.ReverseGeocode(1, 2), "No Data");
    EXPECT_TRUE(client.reply().empty());
    EXPECT_EQ(client.ReverseGeocode(1, 2), "No Data");
}

TEST_F(GeocodingClientTest, OversizedReplyIsCutToTheLimit) {
    const std::string early = AddressReply("Early, Street 1");
    std::string big = early.substr(0, early.size() - 1) + R"(,"padding":")" + std::string(40000, 'x') + "\"}";
    server_.Enqueue(Ok(big));
    GeocodingClient client(Config());
    // The first result arrived whole before the cut, so its address counts.
    EXPECT_EQ(client.ReverseGeocode(1, 2), "Early, Street 1");
    EXPECT_TRUE(client.replyCut());
    EXPECT_EQ(client.reply().size(), GeocodingClient::kReplyLimit);
    EXPECT_EQ(client.reply(), big.substr(0, GeocodingClient::kReplyLimit));

    // An address that would only arrive after the limit is never seen.
    const std::string late = R"({"plus_code":")" + std::string(30000, 'p') + R"(",)" +
                             AddressReply("Late").substr(1);
    server_.Enqueue(Ok(late));
    EXPECT_EQ(client.ReverseGeocode(1, 2), "No Data");
    EXPECT_TRUE(client.replyCut());
    EXPECT_EQ(client.reply().size(), GeocodingClient::kReplyLimit);

    // A reply of exactly the limit is whole.
    std::string exact = AddressReply("Exact");
    exact.insert(1, R"("pad":")" + std::string(GeocodingClient::kReplyLimit - exact.size() - 9, 'y') + "\",");
    ASSERT_EQ(exact.size(), GeocodingClient::kReplyLimit);
    server_.Enqueue(Ok(exact));
    EXPECT_EQ(client.ReverseGeocode(1, 2), "Exact");
    EXPECT_FALSE(client.replyCut());
}

TEST_F(GeocodingClientTest, ServerThatNeverAnswersIsLeftAfterTheTimeOut) {
    HttpScriptedReply silent;
    silent.neverAnswer = true;
    server_.Enqueue(silent);
    HttpScriptedReply stalled = Ok(AddressReply("Half"));
    stalled.stallAfterHeaders = true;
    server_.Enqueue(stalled);
    server_.Enqueue(Ok(AddressReply("Back again")));

    GeocodingClient client(Config());
    auto start = Clock::now();
    EXPECT_EQ(client.ReverseGeocode(1, 2), "No Data");
    EXPECT_LT(SecondsSince(start), 3.0);
    EXPECT_FALSE(client.lastError().empty());

    start = Clock::now();
    EXPECT_EQ(client.ReverseGeocode(1, 2), "No Data");
    EXPECT_LT(SecondsSince(start), 3.0);

    EXPECT_EQ(client.ReverseGeocode(1, 2), "Back again");
    EXPECT_EQ(server_.RequestCount(), 3u);
}

TEST_F(GeocodingClientTest, SlowButTimelyReplyIsAccepted) {
    HttpScriptedReply slow = Ok(AddressReply("Slow"));
    slow.delayMs = 200;
    server_.Enqueue(slow);
    GeocodingClient client(Config());
    EXPECT_EQ(client.ReverseGeocode(1, 2), "Slow");
}

TEST_F(GeocodingClientTest, NoKeyMeansNoRequest) {
    GeocodingConfig config = Config();
    config.key.clear();
    GeocodingClient client(config);
    EXPECT_EQ(client.ReverseGeocode(37.5, 127.25), "No Data");
    EXPECT_EQ(server_.RequestCount(), 0u);
    EXPECT_EQ(client.requestCount(), 0);
}

TEST_F(GeocodingClientTest, UnreachableServerGivesNoData) {
    int closedPort = 0;
    {
        HttpTestServer gone;
        closedPort = gone.port();
    }
    GeocodingConfig config = Config();
    config.baseUrl = "http://127.0.0.1:" + std::to_string(closedPort);
    GeocodingClient client(config);
    EXPECT_FALSE(client.FetchUrl(config.baseUrl + "/"));
    EXPECT_EQ(client.ReverseGeocode(1, 2), "No Data");
}

TEST_F(GeocodingClientTest, RepeatedFailuresPauseTheLookups) {
    HttpScriptedReply silent;
    silent.neverAnswer = true;
    server_.SetDefaultReply(silent);
    GeocodingConfig config = Config();
    config.requestTimeoutMs = 200;
    config.failuresBeforePause = 2;
    config.pauseAfterFailures = std::chrono::milliseconds(1500);
    GeocodingClient client(config);

    EXPECT_EQ(client.ReverseGeocode(1, 2), "No Data");
    EXPECT_EQ(client.ReverseGeocode(1, 2), "No Data");
    const auto start = Clock::now();
    for (int i = 0; i < 20; ++i) EXPECT_EQ(client.ReverseGeocode(1, 2), "No Data");
    EXPECT_LT(SecondsSince(start), 1.0);
    EXPECT_EQ(client.requestCount(), 2);

    // After the pause the service is asked again.
    server_.SetDefaultReply(Ok(AddressReply("Recovered")));
    std::this_thread::sleep_for(std::chrono::milliseconds(1600));
    EXPECT_EQ(client.ReverseGeocode(1, 2), "Recovered");
    EXPECT_EQ(client.requestCount(), 3);
}

TEST_F(GeocodingClientTest, RequestsReuseOneConnection) {
    server_.SetDefaultReply(Ok(AddressReply("Same")));
    GeocodingClient client(Config());
    ASSERT_TRUE(client.OpenInternet());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(client.ReverseGeocode(i, i), "Same");
    EXPECT_EQ(server_.RequestCount(), 5u);
    EXPECT_EQ(server_.ConnectionCount(), 1u);
}

TEST_F(GeocodingClientTest, ConnectivityCheckIsBounded) {
    GeocodingClient online(Config());
    EXPECT_TRUE(online.CheckConnectivity());
    EXPECT_EQ(server_.RequestCount(), 0u);  // the check connects, it asks nothing

    int closedPort = 0;
    {
        HttpTestServer gone;
        closedPort = gone.port();
    }
    GeocodingConfig refused = Config();
    refused.connectivityCheckUrl = "http://127.0.0.1:" + std::to_string(closedPort) + "/";
    EXPECT_FALSE(GeocodingClient(refused).CheckConnectivity());

    // A host that drops the connection attempts.
    SilentListener silent;
    ASSERT_TRUE(silent.ok());
    GeocodingConfig blackHole = Config();
    blackHole.connectivityCheckUrl = "http://127.0.0.1:" + std::to_string(silent.port()) + "/";
    blackHole.checkTimeoutMs = 300;
    const auto start = Clock::now();
    EXPECT_FALSE(GeocodingClient(blackHole).CheckConnectivity());
    EXPECT_LT(SecondsSince(start), 2.0);
}

class DiagCapture {
public:
    DiagCapture() {
        SetDiagSink([this](std::string_view line) { text += line; });
    }
    ~DiagCapture() { SetDiagSink({}); }
    std::string text;
};

TEST_F(GeocodingClientTest, DiagnosticLogFramesTheReplyAndNeverShowsTheKey) {
    // A server that echoes the key must not smuggle it into the log either.
    const std::string body = std::string(R"({"echo":")") + kKey + R"(",)" +
                             AddressReply("Seoul, Korea").substr(1);
    server_.Enqueue(Ok(body));
    HttpScriptedReply silent;
    silent.neverAnswer = true;
    server_.Enqueue(silent);

    DiagCapture diag;
    GeocodingClient client(Config());
    EXPECT_EQ(client.ReverseGeocode(37.5, 127.25), "Seoul, Korea");
    EXPECT_EQ(client.ReverseGeocode(37.5, 127.25), "No Data");

    const std::string frame = std::string(79, '=') + "\r\n";
    const std::string redacted = std::string(R"({"echo":"<key>",)") + AddressReply("Seoul, Korea").substr(1);
    EXPECT_NE(diag.text.find(frame + redacted + "\r\n" + frame), std::string::npos) << diag.text;
    EXPECT_NE(diag.text.find("latlng=37.500000,127.250000&&key=<key>&language=ko"), std::string::npos);
    EXPECT_EQ(diag.text.find(kKey), std::string::npos) << diag.text;
    EXPECT_EQ(diag.text.find("AIzaSy"), std::string::npos);
}

// The track builder asks for the start and then the end address of each
// track, and only when geocoding is on.
TEST_F(GeocodingClientTest, FinishTrackLooksUpBothEndsWhenGeocodingIsOn) {
    server_.Enqueue(Ok(AddressReply("Start, 1")));
    server_.Enqueue(Ok(AddressReply("End, 2")));
    server_.Enqueue(Ok(R"({"results":[],"status":"ZERO_RESULTS"})"));
    server_.Enqueue(Ok(AddressReply("Alone")));
    GeocodingClient client(Config());

    FixList fixes = {{1368000000, 37.5f, 127.25f, 0, 0, 0},
                     {1368000010, 37.5f, 127.5f, 0, 0, 0},
                     {1368009000, -33.75f, 151.25f, 0, 0, 0}};
    TrackList tracks;
    TrackBuildOptions options;
    options.cutSeconds = 60;
    options.geocodingEnabled = 1;
    options.geocoder = &client;
    BuildTracks(fixes, tracks, options);

    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[0].startAddress, "Start, 1");
    EXPECT_EQ(tracks[0].endAddress, "End, 2");
    EXPECT_EQ(tracks[1].startAddress, "No Data");
    EXPECT_EQ(tracks[1].endAddress, "Alone");
    const auto lines = server_.RequestLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find("latlng=37.500000,127.250000&&"), std::string::npos);
    EXPECT_NE(lines[1].find("latlng=37.500000,127.500000&&"), std::string::npos);
    EXPECT_NE(lines[2].find("latlng=-33.750000,151.250000&&"), std::string::npos);
    EXPECT_NE(lines[3].find("latlng=-33.750000,151.250000&&"), std::string::npos);
}

TEST_F(GeocodingClientTest, FinishTrackMakesNoRequestUnlessGeocodingIsExactlyOne) {
    GeocodingClient client(Config());
    for (const uint8_t flag : {uint8_t{0}, uint8_t{2}}) {
        FixList fixes = {{1368000000, 37.5f, 127.25f, 0, 0, 0}};
        TrackList tracks;
        TrackBuildOptions options;
        options.geocodingEnabled = flag;
        options.geocoder = &client;
        BuildTracks(fixes, tracks, options);
        ASSERT_EQ(tracks.size(), 1u);
        EXPECT_EQ(tracks[0].startAddress, "");
        EXPECT_EQ(tracks[0].endAddress, "");
    }
    EXPECT_EQ(server_.RequestCount(), 0u);
}

}  // namespace
}  // namespace ml

namespace ml {
namespace {

// `mileledger-cli tracks --geocode` makes the program's start-up check and
// lookups; the settings' [services] section points it at the test server.
class CliTracksGeocodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.ok());
        if (!test::FileExists(test::CliPath())) GTEST_SKIP() << "mileledger-cli is not built";
        test::WriteText(dir_.File("fixes.csv"),
                        "time,latitude,longitude,speed,height\n"
                        "1367881559,37.5,127.25,0,0\n"
                        "1367881569,37.5,127.5,36,0\n");
    }

    void WriteServices(const std::string& key, const std::string& checkUrl) {
        test::WriteText(dir_.File("Setting.ini"), "[services]\nGEOCODING_BASE_URL=" + server_.baseUrl() +
                                                      "\nGEOCODING_KEY=" + key +
                                                      "\nCONNECTIVITY_CHECK_URL=" + checkUrl + "\n");
    }

    test::ProcessResult Run(bool geocode) {
        std::vector<std::string> args = {test::CliPath(), "--settings", dir_.File("Setting.ini"),
                                         "tracks", "--fixes", dir_.File("fixes.csv")};
        if (geocode) args.push_back("--geocode");
        return test::RunProcess(args, {"TZ=Asia/Seoul"}, {}, 30.0);
    }

    // The two address fields of the one track line.
    static std::string Addresses(const std::string& out) {
        const std::size_t end = out.find('\n');
        const std::string line = out.substr(0, end);
        std::size_t tab = line.rfind('\t');
        const std::size_t before = tab == std::string::npos || tab == 0 ? std::string::npos
                                                                        : line.rfind('\t', tab - 1);
        return before == std::string::npos ? "?" : line.substr(before + 1);
    }

    HttpTestServer server_;
    test::TempDir dir_;
};

TEST_F(CliTracksGeocodeTest, LooksUpBothEndsWhenOnline) {
    server_.Enqueue(Ok(AddressReply("Start, Seoul")));
    server_.Enqueue(Ok(AddressReply("End: Seoul.")));
    WriteServices(kKey, server_.baseUrl() + "/");
    const auto result = Run(true);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Addresses(result.out), "Start, Seoul\tEnd: Seoul.");
    const auto lines = server_.RequestLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string("GET /maps/api/geocode/json?latlng=37.500000,127.250000&&key=") + kKey +
                            "&language=ko HTTP/1.1");
    EXPECT_EQ(lines[1], std::string("GET /maps/api/geocode/json?latlng=37.500000,127.500000&&key=") + kKey +
                            "&language=ko HTTP/1.1");
}

TEST_F(CliTracksGeocodeTest, OfflineAtStartLeavesAddressesEmpty) {
    int closedPort = 0;
    {
        HttpTestServer gone;
        closedPort = gone.port();
    }
    WriteServices(kKey, "http://127.0.0.1:" + std::to_string(closedPort) + "/");
    const auto result = Run(true);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Addresses(result.out), "\t");
    EXPECT_NE(result.err.find("no connection"), std::string::npos) << result.err;
    EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(CliTracksGeocodeTest, NoKeyGivesNoDataWithoutARequest) {
    WriteServices("", server_.baseUrl() + "/");
    const auto result = Run(true);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Addresses(result.out), "No Data\tNo Data");
    EXPECT_EQ(server_.RequestCount(), 0u);
}

TEST_F(CliTracksGeocodeTest, WithoutTheOptionNothingIsAsked) {
    WriteServices(kKey, server_.baseUrl() + "/");
    const auto result = Run(false);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(Addresses(result.out), "\t");
    EXPECT_EQ(server_.ConnectionCount(), 0u);
}

}  // namespace
}  // namespace ml
