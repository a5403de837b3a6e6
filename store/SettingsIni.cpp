#include "store/SettingsIni.h"

#include <string>

#include "core/TextFormat.h"

namespace ml {

namespace {
// Index of a text member in the SettingBlock record.
size_t BlockIndexOf(std::string Settings::*member) {
    const auto& order = SettingTextsInBlockOrder();
    for (size_t i = 0; i < order.size(); ++i) {
        if (order[i] == member) return i;
    }
    return order.size();
}

int32_t* BlockNumber(SettingBlock& block, int32_t Settings::*member) {
    if (member == &Settings::trackCutMode) return &block.trackCutMode;
    if (member == &Settings::trackCutTime) return &block.trackCutTime;
    return &block.trackCutDis;
}

int32_t BlockNumber(const SettingBlock& block, int32_t Settings::*member) {
    if (member == &Settings::trackCutMode) return block.trackCutMode;
    if (member == &Settings::trackCutTime) return block.trackCutTime;
    return block.trackCutDis;
}
}  // namespace

SettingBlock ReadSettingBlock(const IniText& ini, const TextCodec& codec) {
    SettingBlock block;
    for (const auto& key : SettingKeysInSaveOrder()) {
        const std::string value = ini.Get(kSettingsSection, key.key).value_or("");
        if (key.text != nullptr) {
            block.SetText(BlockIndexOf(key.text), value, codec);
        } else {
            *BlockNumber(block, key.number) = LeadingInt(value);
        }
    }
    return block;
}

void WriteSettingBlock(IniText& ini, const SettingBlock& block) {
    for (const auto& key : SettingKeysInSaveOrder()) {
        if (key.text != nullptr) {
            ini.Set(kSettingsSection, key.key, block.Text(BlockIndexOf(key.text)));
        } else {
            ini.Set(kSettingsSection, key.key, std::to_string(BlockNumber(block, key.number)));
        }
    }
}

ServiceSettings ReadServiceSettings(const IniText& ini, const TextCodec& codec) {
    ServiceSettings services;
    for (const auto& key : ServiceKeys()) {
        if (const auto value = ini.Get(kServicesSection, key.key)) {
            services.*key.value = codec.FromDisk(*value);
        }
    }
    return services;
}

size_t AddMissingServiceDefaults(IniText& ini, const TextCodec& codec) {
    const ServiceSettings defaults;
    size_t added = 0;
    for (const auto& key : ServiceKeys()) {
        if (!ini.Get(kServicesSection, key.key)) {
            ini.Set(kServicesSection, key.key, codec.ToDisk(defaults.*key.value));
            ++added;
        }
    }
    return added;
}

}  // namespace ml
