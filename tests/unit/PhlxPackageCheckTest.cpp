#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/PhlxPackageCheck.h"

namespace ml {
namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

// Values computed independently from the table-and-update description; the
// standard CRC-32 of "123456789" would be CBF43926 and CRC-32/MPEG-2 0376E6E7.
TEST(PhlxPackageCheck, KnownValuesAndExactTextOrUncheckedAccepted) {
    std::vector<uint8_t> ramp(64);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(PhlxPackageCheckText({}), "FFFFFFFF");
    EXPECT_EQ(PhlxPackageCheckText(Bytes("123456789")), "8152A388");
    EXPECT_EQ(PhlxPackageCheckValue(std::vector<uint8_t>{0}), 0xB108BF4Bu);
    EXPECT_EQ(PhlxPackageCheckText(ramp), "58A05AEF");
    const auto data = Bytes("123456789");
    for (const char* text : {"8152A388", "FFFFFFFF"}) EXPECT_TRUE(PhlxPackageAccepted(text, data)) << text;
    for (const char* text : {"8152a388", "8152A389", "", "8152A388 ", "ffffffff"}) {
        EXPECT_FALSE(PhlxPackageAccepted(text, data)) << text;
    }
}

}  // namespace
}  // namespace ml
