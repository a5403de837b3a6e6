#include "protocol/MtkReadPlan.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "core/TextFormat.h"

namespace ml {

namespace {

bool InHeader(uint32_t address) { return address % kMtkSectorBytes < kMtkHeaderBytes; }

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

}  // namespace ml
