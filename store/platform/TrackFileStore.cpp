#include "store/platform/TrackFileStore.h"

#include <cstdint>
#include <vector>

#include "core/TextFormat.h"
#include "store/SettingBlock.h"
#include "store/platform/Cp949Codec.h"
#include "store/platform/FileIo.h"

namespace ml {

SaveResult SaveTrackFile(const std::string& path, const Settings& settings, const TrackList& tracks,
                         bool onlySelected) {
    SaveResult result;
    result.path = TrackFilePath(path);
    const auto& codec = Cp949Codec::Instance();
    size_t replaced = 0;
    const SettingBlock header = ToSettingBlock(settings, codec, &replaced);
    const std::vector<uint8_t> bytes = EncodeTrackFile(header, tracks, onlySelected, codec, &replaced);
    if (!WriteFileAtomically(result.path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                             result.error)) {
        return result;
    }
    result.ok = true;
    if (replaced > 0) {
        result.warning = ReplacedOnSaveWarning(replaced, result.path);
    }
    return result;
}

TrackFileLoad LoadTrackFile(const std::string& path) {
    TrackFileLoad load;
    std::vector<uint8_t> bytes;
    const ReadStatus status = ReadFileBytes(path, bytes, load.error);
    if (status == ReadStatus::Missing) {
        load.error = "로그 파일이 없습니다: " + path;
        return load;
    }
    if (status == ReadStatus::Failed) return load;
    load.ok = true;
    load.contents = DecodeTrackFile(bytes, Cp949Codec::Instance());
    if (load.contents.damaged) {
        load.warning = Format("로그 파일이 손상되어 손상된 곳 앞의 트랙 %zu개만 불러왔습니다: %s: %s",
                              load.contents.tracks.size(), path.c_str(), load.contents.message.c_str());
    }
    if (load.contents.replacedChars > 0) {
        if (!load.warning.empty()) load.warning += "\n";
        load.warning += ReplacedOnLoadWarning(load.contents.replacedChars, path);
    }
    return load;
}

}  // namespace ml
