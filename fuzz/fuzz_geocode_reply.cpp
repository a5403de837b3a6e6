// Feeds arbitrary bytes to the geocoding reply parser: it must never crash,
// and whatever it returns is "No Data" or a one-line text taken from the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "store/GeocodeReply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const std::string address = ml::ExtractFormattedAddress(reply);
    if (address.empty()) std::abort();
    for (const char c : address) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) std::abort();
    }
    if (address != ml::kNoAddressText && address.size() > size) std::abort();
    return 0;
}
