#pragma once
// The reverse geocoding client: street addresses for the two ends of each
// track, from the geocoding web service over HTTP.
//
// Start-up makes one connectivity check; its result decides for the whole run
// whether addresses are looked up (the caller keeps it as geocodingEnabled).
// Every request and the check are bounded by time-outs, and when the service
// stops answering the client pauses for a while instead of making every
// remaining track wait out its own time-out.
#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>

#include "core/TrackBuilder.h"
#include "store/Settings.h"
#include "store/platform/HttpClient.h"

namespace ml {

struct GeocodingConfig {
    std::string baseUrl = "https://maps.googleapis.com";  // scheme and host
    std::string key;                                      // empty: no request is ever made, every address is "No Data"
    std::string connectivityCheckUrl = "https://www.naver.com/";
    long connectTimeoutMs = 3000;
    long requestTimeoutMs = 5000;  // a whole request, reply included
    long checkTimeoutMs = 3000;    // the start-up connectivity check
    // After this many requests in a row that got no reply at all, lookups
    // are skipped ("No Data") for `pauseAfterFailures`, then tried again.
    int failuresBeforePause = 3;
    std::chrono::milliseconds pauseAfterFailures{60000};
};

// The configuration from the [services] section of Setting.ini, with the
// default time-outs.
GeocodingConfig GeocodingConfigFrom(const ServiceSettings& services);

class GeocodingClient : public ReverseGeocoder {
public:
    // The largest reply kept; a longer one is cut to this size.
    static constexpr std::size_t kReplyLimit = 20000;

    explicit GeocodingClient(GeocodingConfig config);

    // Prepares the HTTP handle; false when that failed (then leave geocoding
    // off). Bounded: a few attempts, no waiting.
    bool OpenInternet();

    // One connection attempt to the configured portal, bounded by
    // checkTimeoutMs. True means the computer is online.
    bool CheckConnectivity();

    // Fetches `url` into the reply buffer (emptied first; at most
    // kReplyLimit bytes). True when a reply arrived, whatever its status.
    bool FetchUrl(const std::string& url);

    // The address in the reply buffer, or "No Data". Logs the reply.
    std::string ExtractFormattedAddress();

    // The address at a position; "No Data" when there is no key, the request
    // fails or the reply holds no address.
    std::string ReverseGeocode(double latitude, double longitude) override;

    const std::string& reply() const { return reply_; }
    bool replyCut() const { return replyCut_; }
    long replyStatus() const { return replyStatus_; }
    const std::string& lastError() const { return lastError_; }
    int requestCount() const { return requestCount_; }

private:
    std::string Redacted(const std::string& text) const;
    bool Paused();
    void CountOutcome(bool answered);

    GeocodingConfig config_;
    HttpClient http_;
    std::string reply_;
    bool replyCut_ = false;
    long replyStatus_ = 0;
    std::string lastError_;
    int requestCount_ = 0;
    int failuresInRow_ = 0;
    std::chrono::steady_clock::time_point pausedUntil_{};
};

// The address lookups as the [services] section sets them up, the one way
// the program and the command-line tool make them: the client with its HTTP
// handle prepared, and whether lookups are on for the run. The connectivity
// check is made once, unless `online` already says (the program's --online
// and --offline).
struct Geocoder {
    std::unique_ptr<GeocodingClient> client;
    bool online = false;
};
Geocoder SetUpGeocoder(const ServiceSettings& services, std::optional<bool> online = std::nullopt);

}  // namespace ml
