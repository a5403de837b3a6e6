#include "store/GeocodeReply.h"

#include <cstddef>
#include <exception>

#include <nlohmann/json.hpp>

#include "core/TextFormat.h"

namespace ml {

namespace {

using Json = nlohmann::json;

// Walks the reply as a stream of JSON events and stops at the first result's
// "formatted_address". Reading events instead of building a document lets a
// reply that was cut after its first result still give that result, and
// costs nothing for the members after it.
class FirstAddressFinder : public nlohmann::json_sax<Json> {
public:
    bool found() const { return found_; }
    const std::string& address() const { return address_; }

    bool null() override { return Value(); }
    bool boolean(bool) override { return Value(); }
    bool number_integer(number_integer_t) override { return Value(); }
    bool number_unsigned(number_unsigned_t) override { return Value(); }
    bool number_float(number_float_t, const string_t&) override { return Value(); }
    bool binary(binary_t&) override { return Value(); }

    bool string(string_t& text) override {
        if (InFirstResult() && depth_ == kResultDepth && key_ == "formatted_address") {
            address_ = text;
            found_ = true;
            return false;  // nothing after it matters
        }
        return Value();
    }

    bool start_object(std::size_t) override {
        if (depth_ == 0) {
            rootIsObject_ = true;
        } else if (inResults_ && depth_ == kResultDepth - 1) {
            inFirstResult_ = resultCount_ == 0;
            ++resultCount_;
        }
        ++depth_;
        return true;
    }

    bool end_object() override {
        --depth_;
        if (inFirstResult_ && depth_ == kResultDepth - 1) {
            return false;  // the first result had no address: the answer is "No Data"
        }
        return true;
    }

    bool start_array(std::size_t) override {
        if (rootIsObject_ && depth_ == 1 && key_ == "results") {
            inResults_ = true;
        } else if (inResults_ && depth_ == kResultDepth - 1) {
            ++resultCount_;  // a first result that is not an object holds no address
        }
        ++depth_;
        return true;
    }

    bool end_array() override {
        --depth_;
        if (inResults_ && depth_ == 1) {
            return false;  // the results ended without an address
        }
        return true;
    }

    bool key(string_t& name) override {
        // Only the keys of the root object and of the first result are
        // looked at; a value always follows its key at the same depth.
        if (depth_ == 1 || depth_ == kResultDepth) {
            key_ = name;
        }
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override { return false; }

private:
    // Depth counts open containers: 1 inside the root object, 2 inside the
    // results array, 3 inside one result.
    static constexpr int kResultDepth = 3;

    bool InFirstResult() const { return inResults_ && inFirstResult_; }

    bool Value() {
        if (inResults_ && depth_ == kResultDepth - 1) {
            ++resultCount_;  // a scalar where a result object belongs
        }
        return true;
    }

    int depth_ = 0;
    bool rootIsObject_ = false;
    bool inResults_ = false;
    bool inFirstResult_ = false;
    int resultCount_ = 0;
    std::string key_;
    std::string address_;
    bool found_ = false;
};

bool IsUrlSafe(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.' || c == '~';
}

}  // namespace

std::string EncodeUrlComponent(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUrlSafe(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string ExtractFormattedAddress(std::string_view reply) {
    FirstAddressFinder finder;
    try {
        Json::sax_parse(reply.begin(), reply.end(), &finder);
    } catch (const std::exception&) {
        // The parser reports through the handler; anything else it throws
        // (out of memory included) leaves the reply without an address.
    }
    if (!finder.found() || finder.address().empty()) {
        return kNoAddressText;
    }
    std::string address = finder.address();
    for (char& c : address) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            c = ' ';
        }
    }
    return address;
}

std::string BuildGeocodeUrl(std::string_view baseUrl, std::string_view key, double latitude, double longitude) {
    while (!baseUrl.empty() && baseUrl.back() == '/') {
        baseUrl.remove_suffix(1);
    }
    std::string url(baseUrl);
    url += Format("/maps/api/geocode/json?latlng=%lf,%lf&&key=", latitude, longitude);
    url += EncodeUrlComponent(key);
    url += "&language=ko";
    return url;
}

std::string RedactSecret(std::string_view text, std::string_view secret) {
    std::string out(text);
    if (secret.empty()) {
        return out;
    }
    std::size_t pos = 0;
    while ((pos = out.find(secret, pos)) != std::string::npos) {
        out.replace(pos, secret.size(), "<key>");
        pos += 5;
    }
    return out;
}

}  // namespace ml
