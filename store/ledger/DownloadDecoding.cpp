#include "store/ledger/DownloadDecoding.h"

#include <charconv>

#include "core/FixCsv.h"
#include "core/TextFormat.h"
#include "protocol/MtkLogDecoder.h"
#include "protocol/PhlxRecord.h"
#include "store/TrackFile.h"
#include "store/platform/Cp949Codec.h"

namespace ml::ledger {

namespace {

std::optional<int32_t> TimeBaseOf(std::string_view detail) {
    constexpr std::string_view kKey = "timebase=";
    const size_t at = detail.find(kKey);
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view digits = detail.substr(at + kKey.size());
    int32_t value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end == digits.data()) return std::nullopt;
    return value;
}

Status DecodeFixList(const FixList& fixes, DecodedDownload& out) {
    int64_t dropped = 0;
    out.fixes = ToLedgerFixes(fixes, &dropped);
    out.fixCount = static_cast<int64_t>(out.fixes.size());
    if (dropped > 0)
        out.warnings.push_back(Format("시각이 없는 위치 %lld개는 넣지 않았습니다", static_cast<long long>(dropped)));
    const int64_t repeated = static_cast<int64_t>(fixes.size()) - dropped - out.fixCount;
    if (repeated > 0) {
        out.warnings.push_back(
            Format("같은 시각의 위치 %lld개는 처음 것만 넣었습니다", static_cast<long long>(repeated)));
    }
    return Status::Ok();
}

}  // namespace

Status DecodeDownload(DownloadKind kind, std::span<const uint8_t> raw, std::string_view detail, DecodedDownload& out) {
    out = DecodedDownload{};
    FixList fixes;
    switch (kind) {
        case DownloadKind::MtkImage: {
            const MtkDecodeSummary summary = DecodeLogImage(raw, fixes);
            if (summary.sectorsDecoded == 0) {
                return Status::Invalid("MTK 로그 이미지가 아닙니다 (데이터 표시가 있는 64 KiB 구역이 없습니다)");
            }
            return DecodeFixList(fixes, out);
        }
        case DownloadKind::PhlxRecords: {
            const auto timeBase = TimeBaseOf(detail);
            if (!timeBase) return Status::Invalid("PHLX 기록의 시각 기준(timebase)이 없습니다");
            for (size_t at = 0; at + kPhlxRecordSize <= raw.size(); at += kPhlxRecordSize) {
                fixes.push_back(ParsePhlxRecord(raw.subspan(at, kPhlxRecordSize), *timeBase));
            }
            if (raw.size() % kPhlxRecordSize != 0) {
                out.warnings.push_back(Format("PHLX 기록 끝의 %zu바이트는 기록 하나에 모자라 넣지 않았습니다",
                                              raw.size() % kPhlxRecordSize));
            }
            return DecodeFixList(fixes, out);
        }
        case DownloadKind::FixCsv: {
            std::string error;
            const std::string_view text(reinterpret_cast<const char*>(raw.data()), raw.size());
            if (!ParseFixCsv(text, fixes, error)) return Status::Invalid(error);
            return DecodeFixList(fixes, out);
        }
        case DownloadKind::TrackFile: {
            const TrackFileContents contents = DecodeTrackFile(raw, Cp949Codec::Instance());
            if (contents.damaged) {
                if (contents.tracks.empty())
                    return Status::Invalid("트랙 파일을 읽을 수 없습니다: " + contents.message);
                out.warnings.push_back("트랙 파일이 손상되었습니다: " + contents.message);
            }
            TrackFileFixes trackFile = FixesOfTrackFile(contents.tracks);
            for (const std::string& skipped : trackFile.skipped) out.warnings.push_back(skipped);
            for (const TrackFileTrip& trip : trackFile.trips) out.fixCount += static_cast<int64_t>(trip.fixes.size());
            out.trackFile = std::move(trackFile);
            return Status::Ok();
        }
    }
    return Status::Invalid("알 수 없는 다운로드 종류");
}

}  // namespace ml::ledger
