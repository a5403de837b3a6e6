// Any bytes as Setting.ini: parsing, reading the settings and writing them
// back must never crash, and writing must keep every line it did not set.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/IniText.h"
#include "store/SettingsIni.h"
#include "store/platform/Cp949Codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto& codec = ml::Cp949Codec::Instance();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ml::IniText ini = ml::IniText::Parse(bytes);
    const ml::SettingBlock block = ml::ReadSettingBlock(ini, codec);
    const ml::ServiceSettings services = ml::ReadServiceSettings(ini, codec);
    (void)services;
    ml::FromSettingBlock(block, codec);

    ml::WriteSettingBlock(ini, block);
    ml::AddMissingServiceDefaults(ini, codec);
    // What was written reads back as written.
    const ml::IniText again = ml::IniText::Parse(ini.Text());
    const ml::SettingBlock back = ml::ReadSettingBlock(again, codec);
    // Line breaks inside a value are written as blanks, and a value cut to
    // its field may end in blanks, which reading trims.
    for (size_t i = 0; i < ml::SettingBlock::kTextCount; ++i) {
        std::string expected(block.Text(i));
        for (char& c : expected) {
            if (c == '\r' || c == '\n') c = ' ';
        }
        while (!expected.empty() && (expected.back() == ' ' || expected.back() == '\t' || expected.back() == '\v' ||
                                     expected.back() == '\f')) {
            expected.pop_back();
        }
        if (back.Text(i) != expected) __builtin_trap();
    }
    if (back.trackCutTime != block.trackCutTime) __builtin_trap();
    return 0;
}
