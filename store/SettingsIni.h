#pragma once
// The settings as lines of Setting.ini. The fifteen keys live in the
// empty-named section "[]"; the service configuration in "[services]".
// Values are CP949 bytes on disk; the numbers are decimal text read with a
// leading-number conversion ("90s" is 90, "abc" is 0).
#include <cstddef>

#include "store/IniText.h"
#include "store/SettingBlock.h"
#include "store/Settings.h"
#include "store/TextCodec.h"

namespace ml {

inline constexpr const char* kSettingsSection = "";

// Reads the fifteen keys; a missing key reads as empty text or 0. Texts are
// cut to 127 bytes on a character boundary.
SettingBlock ReadSettingBlock(const IniText& ini, const TextCodec& codec);

// Writes the fifteen keys in their save order, leaving every other line.
void WriteSettingBlock(IniText& ini, const SettingBlock& block);

// Reads [services]; a missing key reads as its default.
ServiceSettings ReadServiceSettings(const IniText& ini, const TextCodec& codec);

// Adds the keys of [services] that are missing, with their defaults, and
// returns how many it added. Keys present are left as the user wrote them.
size_t AddMissingServiceDefaults(IniText& ini, const TextCodec& codec);

}  // namespace ml
