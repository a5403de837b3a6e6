#include "store/ledger/LedgerUrl.h"

#include <algorithm>

namespace ml::ledger {

bool IsPostgresLocation(std::string_view location) {
    return location.starts_with("postgresql://") || location.starts_with("postgres://");
}

bool LedgerUrlHasPassword(std::string_view url) {
    const size_t scheme = url.find("://");
    if (scheme == std::string_view::npos) return false;
    const std::string_view rest = url.substr(scheme + 3);
    const size_t queryAt = rest.find('?');
    const std::string_view authority = rest.substr(0, std::min(rest.find('/'), queryAt));
    const size_t at = authority.rfind('@');
    if (at != std::string_view::npos && authority.substr(0, at).find(':') != std::string_view::npos) return true;
    if (queryAt == std::string_view::npos) return false;
    std::string_view query = rest.substr(queryAt + 1);
    while (!query.empty()) {
        const size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        if (pair.substr(0, pair.find('=')) == "password") return true;
        if (amp == std::string_view::npos) break;
        query.remove_prefix(amp + 1);
    }
    return false;
}

}  // namespace ml::ledger
