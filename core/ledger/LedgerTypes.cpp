#include "core/ledger/LedgerTypes.h"

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

std::string_view FormVariantText(FormVariant form) {
    return form == FormVariant::Individual ? "개인" : "법인";
}

std::optional<FormVariant> ParseFormVariant(std::string_view text) {
    if (text == "법인") return FormVariant::Corporate;
    if (text == "개인") return FormVariant::Individual;
    return std::nullopt;
}

}  // namespace ml::ledger
