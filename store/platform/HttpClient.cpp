#include "store/platform/HttpClient.h"

#include <curl/curl.h>

#include <mutex>

namespace ml {

namespace {

constexpr int kOpenAttempts = 3;
constexpr long kMaxRedirects = 5;

bool GlobalInit() {
    static std::once_flag once;
    static CURLcode result = CURLE_FAILED_INIT;
    std::call_once(once, [] { result = curl_global_init(CURL_GLOBAL_DEFAULT); });
    return result == CURLE_OK;
}

struct Sink {
    std::string* body;
    std::size_t limit;
    bool cut = false;
};

// Keeps at most `limit` bytes. Returning less than was offered makes curl
// stop the transfer, which is what a cut reply wants: the rest is not read.
size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t offered = size * count;
    const size_t room = sink->limit - sink->body->size();
    if (offered > room) {
        sink->body->append(data, room);
        sink->cut = true;
        return 0;
    }
    sink->body->append(data, offered);
    return offered;
}

void CommonOptions(CURL* curl, long connectTimeoutMs, long totalTimeoutMs) {
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // time-outs must not use signals in threads
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, totalTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
}

}  // namespace

HttpClient::HttpClient() = default;

HttpClient::~HttpClient() {
    if (handle_ != nullptr) {
        curl_easy_cleanup(static_cast<CURL*>(handle_));
    }
}

bool HttpClient::Open() {
    if (handle_ != nullptr) {
        return true;
    }
    if (!GlobalInit()) {
        return false;
    }
    for (int attempt = 0; attempt < kOpenAttempts && handle_ == nullptr; ++attempt) {
        handle_ = curl_easy_init();
    }
    return handle_ != nullptr;
}

HttpReply HttpClient::Get(const std::string& url, const HttpOptions& options) {
    HttpReply reply;
    if (handle_ == nullptr && !Open()) {
        reply.error = "the HTTP client could not be initialised";
        return reply;
    }
    CURL* curl = static_cast<CURL*>(handle_);
    curl_easy_reset(curl);  // keeps the connection cache, drops the last request's options

    char errorText[CURL_ERROR_SIZE] = {};
    Sink sink{&reply.body, options.maxReplyBytes};
    CommonOptions(curl, options.connectTimeoutMs, options.totalTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, options.userAgent.c_str());
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");  // any encoding curl can decode
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);

    const CURLcode result = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    // Nothing may point at this frame once it returns.
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);

    reply.cut = sink.cut;
    if (result == CURLE_OK || (result == CURLE_WRITE_ERROR && sink.cut)) {
        reply.opened = true;
    } else {
        reply.error = errorText[0] != '\0' ? errorText : curl_easy_strerror(result);
        reply.opened = false;
    }
    return reply;
}

bool HttpClient::CheckConnection(const std::string& url, long timeoutMs) {
    if (!GlobalInit()) {
        return false;
    }
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        return false;
    }
    CommonOptions(curl, timeoutMs, timeoutMs);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L);
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return result == CURLE_OK;
}

}  // namespace ml
