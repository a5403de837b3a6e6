// The address taken from geocoding replies, and the request URL.
#include <gtest/gtest.h>

#include <string>

#include "store/GeocodeReply.h"

namespace ml {
namespace {

// The shape of a real reply: a plus code first, then results best first.
std::string Reply(const std::string& firstAddress, const std::string& status = "OK") {
    return R"({
   "plus_code" : { "compound_code" : "H2QJ+6W 대한민국 서울특별시", "global_code" : "8Q98H2QJ+6W" },
   "results" : [
      {
         "address_components" : [
            { "long_name" : "110", "short_name" : "110", "types" : [ "premise" ] },
            { "long_name" : "세종대로", "short_name" : "세종대로", "types" : [ "political", "sublocality_level_4" ] }
         ],
         "formatted_address" : ")" +
           firstAddress + R"(",
         "geometry" : { "location" : { "lat" : 37.5662952, "lng" : 126.9779451 }, "location_type" : "ROOFTOP" },
         "types" : [ "street_address" ]
      },
      { "formatted_address" : "대한민국 서울특별시 중구", "types" : [ "political" ] }
   ],
   "status" : ")" +
           status + R"("
})";
}

TEST(GeocodeReply, TakesTheFirstResultsOwnAddressWhole) {
    const std::pair<std::string, std::string> replies[] = {
        {Reply("대한민국 서울특별시 중구 세종대로 110"), "대한민국 서울특별시 중구 세종대로 110"},
        {Reply(R"(Caf\u00e9 \"Blue\", 1 Rue A\/B)"), "Café \"Blue\", 1 Rue A/B"},
        {Reply(R"(Line one\r\nLine\ttwo)"), "Line one  Line two"},  // it stays one line
        {Reply("Seoul", "OVER_QUERY_LIMIT"), "Seoul"},              // the status text is ignored
        {Reply(""), "No Data"},
        {R"({"results":[],"status":"ZERO_RESULTS"})", "No Data"},
        {"<html><body>502 Bad Gateway</body></html>", "No Data"},
        // The key alone, outside the results or nested deeper, is no address.
        {R"({"formatted_address":"Top level","results":[]})", "No Data"},
        {R"({"results":[{"geometry":{"formatted_address":"Nested"}},{"formatted_address":"Second"}]})", "No Data"},
        {R"({"results":[{"my_formatted_address_x":"Near miss"}]})", "No Data"},
        {R"({"results":["formatted_address", {"formatted_address":"B"}]})", "No Data"},
        {R"({"results":[{"formatted_address":17}]})", "No Data"},
        {R"({"results":{"formatted_address":"Not a list"}})", "No Data"},
        {R"([{"results":[{"formatted_address":"Root list"}]}])", "No Data"},
        // A nested "results" member is not the reply's list of results.
        {R"({"meta":{"results":[{"formatted_address":"Inner"}]},"results":[{"formatted_address":"Outer"}]})", "Outer"},
        {R"({"results":[{"formatted_address":"A, B"}]}}}]]garbage)", "A, B"},
        {R"({"results":[{"formatted_address":"A"},)" + std::string(100000, '['), "A"},
        {std::string(200000, '[') + std::string(200000, ']'), "No Data"},
        {std::string(R"({"results":[{"formatted_address":"A)") + '\0' + R"(B"}]})", "No Data"},
        {"{\"results\":[{\"formatted_address\":\"\xC0\xAF\"}]}", "No Data"},  // invalid UTF-8
    };
    for (const auto& [reply, address] : replies)
        EXPECT_EQ(ExtractFormattedAddress(reply), address) << reply.substr(0, 200);
}

TEST(GeocodeReply, CutReplyGivesOnlyAnAddressThatArrivedComplete) {
    const std::string full = Reply("대한민국 서울특별시 중구 세종대로 110");
    EXPECT_EQ(ExtractFormattedAddress(std::string_view(full).substr(0, full.find("\"geometry\""))),
              "대한민국 서울특별시 중구 세종대로 110");
    // Every cut before the address ends (inside a character, too) gives
    // "No Data", never a piece of it.
    const std::size_t end = full.find("110\",\n") + 4;
    for (std::size_t n = 0; n < end; ++n) {
        ASSERT_EQ(ExtractFormattedAddress(std::string_view(full).substr(0, n)), "No Data") << n;
    }
}

TEST(GeocodeUrl, FixedPathQueryOrderSixDecimalsAndAnEscapedKey) {
    const struct {
        const char* base;
        const char* key;
        double lat, lon;
        const char* url;
    } urls[] = {
        {"https://maps.googleapis.com", "AIzaSyA-key_0123", 37.5, 127.25,
         "https://maps.googleapis.com/maps/api/geocode/json?latlng=37.500000,127.250000&&key=AIzaSyA-key_0123&language=ko"},
        {"http://h//", "K", -37.1234567, -0.0000004,
         "http://h/maps/api/geocode/json?latlng=-37.123457,-0.000000&&key=K&language=ko"},
        {"http://h", "a&language=en#x y", 0, 0,
         "http://h/maps/api/geocode/json?latlng=0.000000,0.000000&&key=a%26language%3Den%23x%20y&language=ko"},
    };
    for (const auto& u : urls) EXPECT_EQ(BuildGeocodeUrl(u.base, u.key, u.lat, u.lon), u.url);
    EXPECT_EQ(RedactSecret("key=SECRET&x=SECRETSECRET", "SECRET"), "key=<key>&x=<key><key>");
    EXPECT_EQ(RedactSecret("nothing here", ""), "nothing here");
    EXPECT_EQ(RedactSecret("kkk", "kk"), "<key>k");
}

}  // namespace
}  // namespace ml
