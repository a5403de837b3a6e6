#pragma once
// A synchronous HTTP GET client on libcurl's easy interface, for the
// geocoding service. One handle is kept for the run so that requests to the
// same host reuse the connection. Not thread-safe: one request at a time.
#include <cstddef>
#include <string>

namespace ml {

struct HttpOptions {
    long connectTimeoutMs = 3000;       // DNS lookup and TCP/TLS connect
    long totalTimeoutMs = 5000;         // the whole request, reply included
    std::size_t maxReplyBytes = 20000;  // a longer reply is cut to this size
    std::string userAgent = "HTTPTEST";
};

struct HttpReply {
    bool opened = false;  // a reply (of any status) was received
    long status = 0;      // HTTP status, 0 when none arrived
    std::string body;     // at most maxReplyBytes bytes
    bool cut = false;     // the body was longer than maxReplyBytes
    std::string error;    // why no complete reply arrived; empty on success
};

class HttpClient {
public:
    HttpClient();
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Initialises libcurl and the handle; a failure is retried a few times
    // and then reported (never waits long, never loops for ever).
    bool Open();
    bool IsOpen() const { return handle_ != nullptr; }

    // Fetches `url` (http or https, redirects followed). A reply longer than
    // the limit is cut and the transfer stopped there. Every wait is bounded
    // by the options' time-outs.
    HttpReply Get(const std::string& url, const HttpOptions& options);

    // True when a connection to the host of `url` can be made within
    // `timeoutMs`; sends no request. Independent of Open().
    static bool CheckConnection(const std::string& url, long timeoutMs);

private:
    void* handle_ = nullptr;  // CURL*, kept opaque so that callers need no curl header
};

}  // namespace ml
