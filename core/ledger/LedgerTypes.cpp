#include "core/ledger/LedgerTypes.h"

#include <charconv>

#include "core/TextFormat.h"

namespace ml::ledger {

std::string_view UseText(Use use) {
    switch (use) {
        case Use::Unclassified: return "";
        case Use::Commute: return "출퇴근용";
        case Use::Business: return "일반업무용";
        case Use::Private: return "비업무용";
    }
    return "";
}

std::optional<Use> ParseUse(std::string_view text) {
    for (Use use : {Use::Unclassified, Use::Commute, Use::Business, Use::Private}) {
        if (text == UseText(use)) return use;
    }
    return std::nullopt;
}

std::string_view FormVariantText(FormVariant form) { return form == FormVariant::Individual ? "개인" : "법인"; }

std::optional<FormVariant> ParseFormVariant(std::string_view text) {
    if (text == "법인") return FormVariant::Corporate;
    if (text == "개인") return FormVariant::Individual;
    return std::nullopt;
}

std::string FormatKeptLogs(const std::vector<KeptLog>& logs) {
    std::string text;
    for (const KeptLog& l : logs) {
        text += Format("%u %u %lld %u %u %d %lld %lld\n", l.index, l.count, static_cast<long long>(l.downloadId),
                       l.firstRecord, l.records, l.imported ? 1 : 0, static_cast<long long>(l.firstTime),
                       static_cast<long long>(l.lastTime));
    }
    return text;
}

std::optional<std::vector<KeptLog>> ParseKeptLogs(std::string_view text) {
    std::vector<KeptLog> logs;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    auto number = [&](auto& value, char after) {
        const auto [next, error] = std::from_chars(at, end, value);
        if (error != std::errc() || next == end || *next != after) return false;
        at = next + 1;
        return true;
    };
    while (at < end) {
        KeptLog l;
        int imported = 0;
        if (!number(l.index, ' ') || !number(l.count, ' ') || !number(l.downloadId, ' ') ||
            !number(l.firstRecord, ' ') || !number(l.records, ' ') || !number(imported, ' ') ||
            !number(l.firstTime, ' ') || !number(l.lastTime, '\n') || (imported != 0 && imported != 1)) {
            return std::nullopt;
        }
        l.imported = imported == 1;
        logs.push_back(l);
    }
    return logs;
}

}  // namespace ml::ledger
