#pragma once
// The reverse geocoding request and the use of its reply.
//
// Service facts: the request is
//   BASE/maps/api/geocode/json?latlng=LAT,LON&&key=KEY&language=ko
// with LAT and LON printed with six decimals; the empty parameter between
// latlng and key is sent as is, because that is the request the service has
// always been given. The reply is UTF-8 JSON whose "results" array holds the
// matches, best first, each with a "formatted_address". Error replies (bad
// key, exhausted quota, nothing found) carry a status text and no results.
#include <string>
#include <string_view>

namespace ml {

// The address text of a track end whose lookup gave no address.
inline constexpr char kNoAddressText[] = "No Data";

// The address of the first result of a reply, whole (commas, dots and colons
// included), or "No Data" when there is none. Only the part of the reply
// before the first syntax error is read, so a reply cut short by the client's
// size limit still yields the first address when it arrived complete.
// Control characters inside the address become blanks, so the text is always
// one line. Never throws.
std::string ExtractFormattedAddress(std::string_view reply);

// The request URL for a position. `baseUrl` is scheme and host (a trailing
// "/" is dropped); characters of the key outside the URL-safe set are
// percent-encoded so that a pasted key cannot alter the query.
std::string BuildGeocodeUrl(std::string_view baseUrl, std::string_view key, double latitude, double longitude);

// `text` with the characters outside A-Z a-z 0-9 - _ . ~ percent-encoded.
std::string EncodeUrlComponent(std::string_view text);

// `text` with every occurrence of `secret` replaced by "<key>", for logging
// URLs and error messages. An empty secret leaves the text as it is.
std::string RedactSecret(std::string_view text, std::string_view secret);

}  // namespace ml
