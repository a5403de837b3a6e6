#include "link/SentenceFields.h"

namespace ml {

std::string PhlxField(std::string_view sentence, int index) {
    std::string out;
    int field = 0;
    for (const char c : sentence) {
        if (c == '*') break;
        if (c == ',') {
            ++field;
            if (field > index) break;
            continue;
        }
        if (field == index) out.push_back(c);
    }
    return out;
}

std::string_view PmtkField(std::string_view sentence, int index, bool* exists) {
    if (exists != nullptr) *exists = false;
    if (index < 0) return {};
    size_t start = 0;
    for (int field = 0; field < index; ++field) {
        const size_t comma = sentence.find(',', start);
        if (comma == std::string_view::npos) return {};
        start = comma + 1;
    }
    std::string_view rest = sentence.substr(start);
    rest = rest.substr(0, rest.find(','));
    if (exists != nullptr) *exists = true;
    return rest.substr(0, rest.find('*'));
}

int PhlxReplyCode(std::string_view line) {
    if (line.size() < 8 || line.substr(0, 5) != "$PHLX") return -1;
    int code = 0;
    for (size_t i = 5; i < 8; ++i) {
        const char c = line[i];
        if (c < '0' || c > '9') return -1;
        code = code * 10 + (c - '0');
    }
    return code;
}

}  // namespace ml
