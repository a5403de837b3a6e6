#include "store/platform/SettingsFile.h"

#include <cstdint>
#include <vector>

#include "core/TextFormat.h"
#include "store/IniText.h"
#include "store/SettingBlock.h"
#include "store/SettingsIni.h"
#include "store/platform/Cp949Codec.h"
#include "store/platform/FileIo.h"

namespace ml {

namespace {
struct IniRead {
    ReadStatus status = ReadStatus::Missing;
    IniText ini;
    std::string error;
};

IniRead ReadIni(const std::string& path) {
    IniRead read;
    std::vector<uint8_t> bytes;
    read.status = ReadFileBytes(path, bytes, read.error);
    if (read.status == ReadStatus::Ok) {
        read.ini = IniText::Parse(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    return read;
}

bool WriteIni(const std::string& path, const IniText& ini, std::string& error) {
    return WriteFileAtomically(path, ini.Text(), error, true);
}

void Fill(SettingsFileState& state, const IniText& ini) {
    const auto& codec = Cp949Codec::Instance();
    size_t replaced = 0;
    state.settings = FromSettingBlock(ReadSettingBlock(ini, codec), codec, &replaced);
    state.services = ReadServiceSettings(ini, codec);
    if (replaced > 0) {
        state.warnings.push_back(ReplacedOnLoadWarning(replaced, state.path));
    }
}
}  // namespace

SettingsFileState LoadSettings(const std::string& path) {
    SettingsFileState state;
    state.path = path;
    const IniRead read = ReadIni(path);
    if (read.status == ReadStatus::Failed) {
        state.warnings.push_back("설정 파일을 읽을 수 없어 기본 설정을 사용합니다: " + read.error);
    }
    state.found = read.status == ReadStatus::Ok;
    Fill(state, read.ini);
    return state;
}

SaveResult SaveSettings(const std::string& path, const Settings& settings) {
    SaveResult result;
    result.path = path;
    IniRead read = ReadIni(path);
    if (read.status == ReadStatus::Failed) {
        // Rewriting a file we could not read would lose its other lines.
        result.error =
            "설정 파일을 읽을 수 없어 저장하지 않았습니다. 입력한 값은 이번 실행에만 적용됩니다: " + read.error;
        return result;
    }
    const auto& codec = Cp949Codec::Instance();
    size_t replaced = 0;
    WriteSettingBlock(read.ini, ToSettingBlock(settings, codec, &replaced));
    if (!WriteIni(path, read.ini, result.error)) {
        result.error = "설정 파일을 저장하지 못했습니다. 입력한 값은 이번 실행에만 적용됩니다: " + result.error;
        return result;
    }
    result.ok = true;
    if (replaced > 0) {
        result.warning = ReplacedOnSaveWarning(replaced, path);
    }
    return result;
}

SettingsFileState StartSettings(const std::string& path, bool writeBack) {
    SettingsFileState state;
    state.path = path;
    IniRead read = ReadIni(path);
    state.found = read.status == ReadStatus::Ok;
    if (read.status == ReadStatus::Failed) {
        state.warnings.push_back("설정 파일을 읽을 수 없어 이번 실행에는 기본 설정을 사용합니다: " + read.error);
        ApplyDefaultSettings(state.settings);
        return state;
    }
    Fill(state, read.ini);
    if (state.settings.trackCutMode != 0) return state;

    ApplyDefaultSettings(state.settings);
    if (!writeBack) return state;
    const auto& codec = Cp949Codec::Instance();
    WriteSettingBlock(read.ini, ToSettingBlock(state.settings, codec));
    AddMissingServiceDefaults(read.ini, codec);
    std::string error;
    if (WriteIni(path, read.ini, error)) {
        state.written = true;
    } else {
        state.warnings.push_back("설정 파일을 쓸 수 없어 설정이 이번 실행에만 적용됩니다: " + error);
    }
    return state;
}

}  // namespace ml
