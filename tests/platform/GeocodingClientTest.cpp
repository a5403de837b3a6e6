// The geocoding client against a real HTTP server on 127.0.0.1; what the
// address is taken from is the reply parser's test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "core/DiagLog.h"
#include "store/platform/GeocodingClient.h"
#include "tests/support/HttpTestServer.h"
#include "tests/support/TestSupport.h"

namespace ml {
namespace {

using test::HttpScriptedReply;
using test::HttpTestServer;
using testing::EndsWith;
using testing::HasSubstr;
using testing::Not;
using Clock = std::chrono::steady_clock;

constexpr char kKey[] = "AIzaSyTEST-key_0123456789abcdefghijklm";

std::string AddressReply(const std::string& address) {
    return R"({"results":[{"formatted_address":")" + address + R"(","types":["street_address"]}],"status":"OK"})";
}

const HttpScriptedReply kSilent{.delayMs = -1};

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// A port nobody listens on any more.
int ClosedPort() {
    HttpTestServer gone;
    return gone.port();
}

class GeocodingClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.ok()); }

    GeocodingConfig Config() const {
        GeocodingConfig config;
        config.baseUrl = server_.baseUrl();
        config.key = kKey;
        config.connectivityCheckUrl = server_.baseUrl() + "/";
        config.connectTimeoutMs = 1000;
        config.requestTimeoutMs = 500;
        config.checkTimeoutMs = 1000;
        return config;
    }

    HttpTestServer server_;
};

// An error status or no key gives no address; a reply longer than the limit
// is cut there.
TEST_F(GeocodingClientTest, SendsTheExactRequestOnOneConnectionAndTakesTheAddress) {
    server_.Enqueue({.body = AddressReply("대한민국 서울특별시 중구 세종대로 110")});
    server_.Enqueue({.body = AddressReply("110 Sejong-daero, Jung-gu, Seoul")});
    server_.Enqueue({.status = 403, .body = AddressReply("an error page is not an answer")});
    const std::string early = AddressReply("Early, Street 1");
    const std::string big = early.substr(0, early.size() - 1) + R"(,"padding":")" + std::string(40000, 'x') + "\"}";
    std::string exact = AddressReply("Exact");
    exact.insert(1, R"("pad":")" + std::string(GeocodingClient::kReplyLimit - exact.size() - 9, 'y') + "\",");
    ASSERT_EQ(exact.size(), GeocodingClient::kReplyLimit);
    for (const auto& body : {big, exact}) server_.Enqueue({.body = body});
    GeocodingClient client(Config());
    ASSERT_TRUE(client.OpenInternet());
    EXPECT_EQ(client.ReverseGeocode(37.5, 127.25), "대한민국 서울특별시 중구 세종대로 110");
    EXPECT_EQ(client.ReverseGeocode(1, 2), "110 Sejong-daero, Jung-gu, Seoul");
    ASSERT_EQ(server_.RequestCount(), 2u);
    EXPECT_EQ(
        server_.Requests()[0].requestLine,
        std::string("GET /maps/api/geocode/json?latlng=37.500000,127.250000&&key=") + kKey + "&language=ko HTTP/1.1");
    EXPECT_THAT(server_.Requests()[0].headers, HasSubstr("User-Agent: HTTPTEST\r\n"));
    EXPECT_EQ(server_.ConnectionCount(), 1u);
    EXPECT_EQ(client.ReverseGeocode(1, 2), "No Data");
    EXPECT_EQ(client.replyStatus(), 403);
    EXPECT_EQ(client.ReverseGeocode(1, 2), "Early, Street 1") << "it arrived whole before the cut";
    EXPECT_TRUE(client.replyCut());
    EXPECT_EQ(client.reply(), big.substr(0, GeocodingClient::kReplyLimit));
    EXPECT_EQ(client.ReverseGeocode(1, 2), "Exact");
    EXPECT_FALSE(client.replyCut()) << "a reply of exactly the limit is whole";

    GeocodingConfig noKey = Config();
    noKey.key.clear();
    GeocodingClient keyless(noKey);
    EXPECT_EQ(keyless.ReverseGeocode(37.5, 127.25), "No Data");
    EXPECT_EQ(server_.RequestCount(), 5u);
}

// A server that does not answer is left after the time-out, and a few such
// lookups in a row pause the lookups; after the pause the service is asked
// again, and a slow answer within the time-out is taken.
TEST_F(GeocodingClientTest, ServerThatDoesNotAnswerIsLeftAndRepeatedFailuresPause) {
    server_.SetDefaultReply(kSilent);
    GeocodingConfig config = Config();
    config.failuresBeforePause = 2;
    config.pauseAfterFailures = std::chrono::milliseconds(300);
    GeocodingClient client(config);
    const auto start = Clock::now();
    for (int i = 0; i < 20; ++i) EXPECT_EQ(client.ReverseGeocode(1, 2), "No Data");
    EXPECT_LT(SecondsSince(start), 3.0);
    EXPECT_FALSE(client.lastError().empty());
    EXPECT_EQ(client.requestCount(), 2);
    server_.SetDefaultReply({.body = AddressReply("Slow but in time"), .delayMs = 200});
    std::this_thread::sleep_for(std::chrono::milliseconds(350));
    EXPECT_EQ(client.ReverseGeocode(1, 2), "Slow but in time");
    EXPECT_EQ(client.requestCount(), 3);

    GeocodingConfig gone = Config();
    gone.baseUrl = "http://127.0.0.1:" + std::to_string(ClosedPort());
    GeocodingClient refused(gone);
    EXPECT_FALSE(refused.FetchUrl(gone.baseUrl + "/"));
    EXPECT_EQ(refused.ReverseGeocode(1, 2), "No Data");
}

// The port of a listening socket whose accept queue is full: Linux then
// drops further connection attempts, so a connect to it waits like one to a
// dead host. Its sockets stay open until the test program ends.
int SilentPort() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    auto* where = reinterpret_cast<sockaddr*>(&address);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::bind(fd, where, length) != 0 || ::listen(fd, 0) != 0 || ::getsockname(fd, where, &length) != 0) return 0;
    const int filler = SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC;
    for (int i = 0; i < 2; ++i) ::connect(::socket(AF_INET, filler, 0), where, length);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the queue fills
    return ntohs(address.sin_port);
}

// That the check connects only, and fails on a closed port, the command-line
// test below shows.
TEST_F(GeocodingClientTest, ConnectivityCheckIsBounded) {
    const int silent = SilentPort();
    ASSERT_NE(silent, 0);
    GeocodingConfig blackHole = Config();
    blackHole.connectivityCheckUrl = "http://127.0.0.1:" + std::to_string(silent) + "/";
    blackHole.checkTimeoutMs = 300;
    const auto start = Clock::now();
    EXPECT_FALSE(GeocodingClient(blackHole).CheckConnectivity());
    EXPECT_LT(SecondsSince(start), 2.0);
}

TEST_F(GeocodingClientTest, DiagnosticLogFramesTheReplyAndNeverShowsTheKey) {
    // A server that echoes the key must not smuggle it into the log either.
    server_.Enqueue({.body = std::string(R"({"echo":")") + kKey + R"(",)" + AddressReply("Seoul, Korea").substr(1)});
    server_.Enqueue(kSilent);
    std::string diag;
    SetDiagSink([&](std::string_view line) { diag += line; });
    GeocodingConfig config = Config();
    config.requestTimeoutMs = 200;
    GeocodingClient client(config);
    EXPECT_EQ(client.ReverseGeocode(37.5, 127.25), "Seoul, Korea");
    EXPECT_EQ(client.ReverseGeocode(37.5, 127.25), "No Data");
    SetDiagSink({});

    const std::string frame = std::string(79, '=') + "\r\n";
    const std::string redacted = std::string(R"({"echo":"<key>",)") + AddressReply("Seoul, Korea").substr(1);
    EXPECT_THAT(diag, HasSubstr(frame + redacted + "\r\n" + frame));
    EXPECT_THAT(diag, HasSubstr("latlng=37.500000,127.250000&&key=<key>&language=ko"));
    EXPECT_THAT(diag, Not(HasSubstr("AIzaSy")));
}

// `mileledger-cli tracks --geocode` makes the program's start-up check and
// lookups; the settings' [services] section points it at the test server.
TEST_F(GeocodingClientTest, CliTracksLooksUpAddressesOnlyWhenAskedAndOnline) {
    if (!test::FileExists(test::CliPath())) GTEST_SKIP() << "mileledger-cli is not built";
    test::TempDir dir;
    test::WriteText(dir.File("fixes.csv"),
                    "time,latitude,longitude,speed,height\n1367881559,37.5,127.25,0,0\n1367881569,37.5,127.5,36,0\n");
    const auto run = [&](const std::string& checkUrl, bool geocode) {
        test::WriteText(dir.File("Setting.ini"), "[services]\nGEOCODING_BASE_URL=" + server_.baseUrl() +
                                                     "\nGEOCODING_KEY=" + kKey +
                                                     "\nCONNECTIVITY_CHECK_URL=" + checkUrl + "\n");
        std::vector<std::string> args = {test::CliPath(), "--settings", dir.File("Setting.ini"),
                                         "tracks",        "--fixes",    dir.File("fixes.csv")};
        if (geocode) args.push_back("--geocode");
        const auto result = test::RunProcess(args, {"TZ=Asia/Seoul"}, {}, 30.0);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result;  // the last two fields of the one track line are its addresses
    };
    server_.Enqueue({.body = AddressReply("Start, Seoul")});
    server_.Enqueue({.body = AddressReply("End: Seoul.")});
    EXPECT_THAT(run(server_.baseUrl() + "/", true).out, EndsWith("\tStart, Seoul\tEnd: Seoul.\n"));
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_THAT(requests[1].requestLine, HasSubstr("latlng=37.500000,127.500000&&"));

    const auto offline = run("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/", true);
    EXPECT_THAT(offline.out, EndsWith("\t\t\n"));
    EXPECT_THAT(offline.err, HasSubstr("no connection"));
    EXPECT_THAT(run(server_.baseUrl() + "/", false).out, EndsWith("\t\t\n"));
    EXPECT_EQ(server_.RequestCount(), 2u);
    EXPECT_EQ(server_.ConnectionCount(), 2u) << "the first run's check and lookups, nothing after";
}

}  // namespace
}  // namespace ml
