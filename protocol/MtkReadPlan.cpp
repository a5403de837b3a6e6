#include "protocol/MtkReadPlan.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "core/FormText.h"
#include "core/TextFormat.h"

namespace ml {

namespace {

bool InHeader(uint32_t address) { return address % kMtkSectorBytes < kMtkHeaderBytes; }

std::string Bytes(uint32_t count) { return GroupedText(static_cast<double>(count), 0); }

}  // namespace

uint32_t MtkReadPlan::BytesToRead() const {
    if (kind == MtkReadKind::Full) return usedBytes;
    uint32_t total = tail.size();
    for (const ByteRange& r : checks) total += r.size();
    return total;
}

MtkReadPlan PlanMtkRead(uint32_t knownBytes, uint32_t usedBytes, bool forceFull) {
    MtkReadPlan plan;
    plan.usedBytes = usedBytes;
    if (forceFull) {
        plan.reason = MtkFullReason::Asked;
        return plan;
    }
    // A known image that is no more than a header has nothing to compare.
    if (knownBytes <= kMtkHeaderBytes) return plan;
    if (usedBytes < knownBytes) {
        plan.reason = MtkFullReason::Shrunk;
        return plan;
    }
    plan.kind = MtkReadKind::Incremental;
    plan.reason = MtkFullReason::None;
    plan.compare = {knownBytes - std::min(knownBytes, kMtkCompareBytes), knownBytes};
    const uint32_t openSector = (knownBytes - 1) / kMtkSectorBytes * kMtkSectorBytes;
    const ByteRange header{openSector, std::min(openSector + kMtkHeaderBytes, knownBytes)};
    if (header.end >= plan.compare.start) {
        plan.checks.push_back({std::min(header.start, plan.compare.start), knownBytes});
    } else {
        plan.checks.push_back(header);
        plan.checks.push_back(plan.compare);
    }
    plan.tail = {knownBytes, usedBytes};
    return plan;
}

bool AgreesWithKnown(std::span<const uint8_t> known, std::span<const ByteRange> ranges,
                     std::span<const uint8_t> bytes) {
    size_t compared = 0;
    size_t from = 0;
    for (const ByteRange& range : ranges) {
        if (from + range.size() > bytes.size()) return false;
        const uint32_t end = static_cast<uint32_t>(std::min<uint64_t>(range.end, known.size()));
        for (uint32_t at = range.start; at < end; ++at) {
            if (InHeader(at)) continue;
            if (known[at] != bytes[from + (at - range.start)]) return false;
            ++compared;
        }
        from += range.size();
    }
    return compared > 0;
}

bool ApplyReads(std::vector<uint8_t>& image, std::span<const ByteRange> ranges, std::span<const uint8_t> bytes) {
    size_t need = 0;
    uint64_t reach = image.size();
    for (const ByteRange& r : ranges) {
        if (r.start > reach || r.end < r.start) return false;
        reach = std::max<uint64_t>(reach, r.end);
        need += r.size();
    }
    if (bytes.size() < need) return false;
    image.resize(reach);
    size_t from = 0;
    for (const ByteRange& r : ranges) {
        std::memcpy(image.data() + r.start, bytes.data() + from, r.size());
        from += r.size();
    }
    return true;
}

std::string FormatRanges(std::span<const ByteRange> ranges) {
    std::string text;
    for (const ByteRange& r : ranges) {
        if (!text.empty()) text += ',';
        text += Format("%u-%u", r.start, r.end);
    }
    return text;
}

std::optional<std::vector<ByteRange>> ParseRanges(std::string_view text) {
    std::vector<ByteRange> ranges;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    while (at < end) {
        ByteRange r;
        auto [afterStart, e1] = std::from_chars(at, end, r.start);
        if (e1 != std::errc() || afterStart == end || *afterStart != '-') return std::nullopt;
        auto [afterEnd, e2] = std::from_chars(afterStart + 1, end, r.end);
        if (e2 != std::errc() || r.end < r.start) return std::nullopt;
        ranges.push_back(r);
        if (afterEnd == end) break;
        if (*afterEnd != ',') return std::nullopt;
        at = afterEnd + 1;
        if (at == end) return std::nullopt;
    }
    return ranges;
}

std::string ReadPlanText(const MtkReadPlan& plan) {
    const std::string used = Bytes(plan.usedBytes);
    switch (plan.reason) {
        case MtkFullReason::None: return "새 데이터만 읽는 중: " + Bytes(plan.BytesToRead()) + " / " + used + " bytes";
        case MtkFullReason::Shrunk:
        case MtkFullReason::Mismatch:
            return "로거 메모리가 지난번과 달라(지워졌거나 한 바퀴 돌았음) 전체를 읽는 중: " + used + " bytes";
        case MtkFullReason::Asked:
        case MtkFullReason::NothingKnown: break;
    }
    return "전체를 읽는 중: " + used + " bytes";
}

namespace {
double Percent(uint32_t used, uint32_t flash) { return static_cast<double>(used) * 100.0 / flash; }
}  // namespace

std::string MemoryStateText(uint32_t usedBytes, uint32_t flashBytes) {
    if (flashBytes == 0) return "로거 메모리: " + Bytes(usedBytes) + " bytes 사용";
    return "로거 메모리: " + Bytes(usedBytes) + " / " + Bytes(flashBytes) + " bytes (" +
           FixedText(Percent(usedBytes, flashBytes), 1) + "%)";
}

std::string MemoryWarningText(uint32_t usedBytes, uint32_t flashBytes, int recordMethod) {
    if (flashBytes == 0 || Percent(usedBytes, flashBytes) <= 90.0) return {};
    const char* next = recordMethod == 1   ? "곧 가장 오래된 기록을 덮어씁니다"
                       : recordMethod == 2 ? "곧 기록을 멈춥니다"
                                           : "곧 기록을 멈추거나 가장 오래된 기록을 덮어씁니다";
    return "로거 메모리가 " + FixedText(Percent(usedBytes, flashBytes), 1) + "% 찼습니다. " + next +
           ". 로그를 읽어 원장에 넣은 뒤 로그삭제로 비워 주십시오.";
}

}  // namespace ml
