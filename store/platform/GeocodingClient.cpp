#include "store/platform/GeocodingClient.h"

#include <utility>

#include "core/DiagLog.h"
#include "store/GeocodeReply.h"

namespace ml {

namespace {

const std::string kFrameLine = std::string(79, '=') + "\r\n";

bool IsSuccessStatus(long status) { return status >= 200 && status < 300; }

}  // namespace

GeocodingConfig GeocodingConfigFrom(const ServiceSettings& services) {
    GeocodingConfig config;
    config.baseUrl = services.geocodingBaseUrl;
    config.key = services.geocodingKey;
    config.connectivityCheckUrl = services.connectivityCheckUrl;
    return config;
}

Geocoder SetUpGeocoder(const ServiceSettings& services, std::optional<bool> online) {
    Geocoder geocoder;
    geocoder.client = std::make_unique<GeocodingClient>(GeocodingConfigFrom(services));
    const bool handleReady = geocoder.client->OpenInternet();
    geocoder.online = online.has_value() ? *online : (handleReady && geocoder.client->CheckConnectivity());
    return geocoder;
}

GeocodingClient::GeocodingClient(GeocodingConfig config) : config_(std::move(config)) {}

bool GeocodingClient::OpenInternet() {
    const bool opened = http_.Open();
    if (!opened) {
        DiagPrintf("geocoding: the HTTP client could not be initialised\r\n");
    }
    return opened;
}

bool GeocodingClient::CheckConnectivity() {
    const bool online = HttpClient::CheckConnection(config_.connectivityCheckUrl, config_.checkTimeoutMs);
    DiagPrintf("geocoding: connectivity check %s: %s\r\n", Redacted(config_.connectivityCheckUrl).c_str(),
               online ? "online" : "offline");
    return online;
}

bool GeocodingClient::FetchUrl(const std::string& url) {
    reply_.clear();
    replyCut_ = false;
    replyStatus_ = 0;
    lastError_.clear();
    ++requestCount_;

    HttpOptions options;
    options.connectTimeoutMs = config_.connectTimeoutMs;
    options.totalTimeoutMs = config_.requestTimeoutMs;
    options.maxReplyBytes = kReplyLimit;
    HttpReply reply = http_.Get(url, options);

    DiagPrintf("geocoding: GET %s\r\n", Redacted(url).c_str());
    if (!reply.opened) {
        lastError_ = Redacted(reply.error);
        DiagPrintf("geocoding: no reply: %s\r\n", lastError_.c_str());
        return false;
    }
    reply_ = std::move(reply.body);
    replyCut_ = reply.cut;
    replyStatus_ = reply.status;
    if (replyCut_) {
        DiagPrintf("geocoding: reply cut at %zu bytes\r\n", kReplyLimit);
    }
    return true;
}

std::string GeocodingClient::ExtractFormattedAddress() {
    if (DiagEnabled()) {
        std::string framed = kFrameLine;
        framed += Redacted(reply_);
        if (!reply_.empty() && reply_.back() != '\n') {
            framed += "\r\n";
        }
        framed += kFrameLine;
        DiagWrite(framed);
    }
    if (!IsSuccessStatus(replyStatus_)) {
        // An error page is not an answer, whatever it happens to contain.
        DiagPrintf("geocoding: HTTP status %ld\r\n", replyStatus_);
        return kNoAddressText;
    }
    std::string address = ml::ExtractFormattedAddress(reply_);
    DiagPrintf("geocoding: address %s\r\n", address.c_str());
    return address;
}

std::string GeocodingClient::ReverseGeocode(double latitude, double longitude) {
    if (config_.key.empty() || Paused()) {
        return kNoAddressText;
    }
    const bool answered = FetchUrl(BuildGeocodeUrl(config_.baseUrl, config_.key, latitude, longitude));
    CountOutcome(answered);
    if (!answered) {
        return kNoAddressText;
    }
    return ExtractFormattedAddress();
}

std::string GeocodingClient::Redacted(const std::string& text) const {
    // The key may appear as configured or percent-encoded in the URL.
    return RedactSecret(RedactSecret(text, config_.key), EncodeUrlComponent(config_.key));
}

bool GeocodingClient::Paused() {
    if (failuresInRow_ < config_.failuresBeforePause || config_.failuresBeforePause <= 0) {
        return false;
    }
    if (std::chrono::steady_clock::now() < pausedUntil_) {
        return true;
    }
    failuresInRow_ = config_.failuresBeforePause - 1;  // one more failure pauses again
    return false;
}

void GeocodingClient::CountOutcome(bool answered) {
    if (answered) {
        failuresInRow_ = 0;
        return;
    }
    ++failuresInRow_;
    if (config_.failuresBeforePause > 0 && failuresInRow_ >= config_.failuresBeforePause) {
        pausedUntil_ = std::chrono::steady_clock::now() + config_.pauseAfterFailures;
        DiagPrintf("geocoding: %d requests in a row got no reply; pausing lookups\r\n", failuresInRow_);
    }
}

}  // namespace ml
