#include "store/IniText.h"

#include <algorithm>

namespace ml {

namespace {
constexpr size_t npos = std::string::npos;

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// The section name of a header line.
std::optional<std::string_view> HeaderName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') return std::nullopt;
    const size_t close = line.find(']');
    if (close == npos) return std::nullopt;
    return Trim(line.substr(1, close - 1));
}

struct Entry {
    std::string_view key;
    std::string_view value;
};

std::optional<Entry> EntryOf(std::string_view line) {
    const size_t equals = line.find('=');
    if (equals == npos) return std::nullopt;
    return Entry{Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}
}  // namespace

IniText IniText::Parse(std::string_view bytes) {
    IniText ini;
    bool first = true;
    while (!bytes.empty()) {
        const size_t newline = bytes.find('\n');
        std::string_view line = bytes.substr(0, newline);
        const bool crlf = !line.empty() && line.back() == '\r';
        if (crlf) line.remove_suffix(1);
        if (first && newline != npos) ini.lineEnd_ = crlf ? "\r\n" : "\n";
        first = false;
        ini.lines_.emplace_back(line);
        bytes = newline == npos ? std::string_view{} : bytes.substr(newline + 1);
    }
    return ini;
}

size_t IniText::FindSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        const auto name = HeaderName(lines_[i]);
        if (name && SameName(*name, section)) return i;
    }
    return npos;
}

size_t IniText::SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && !HeaderName(lines_[i])) ++i;
    return i;
}

size_t IniText::FindKey(size_t header, std::string_view key) const {
    const size_t end = SectionEnd(header);
    for (size_t i = header + 1; i < end; ++i) {
        const auto entry = EntryOf(lines_[i]);
        if (entry && SameName(entry->key, key)) return i;
    }
    return npos;
}

bool IniText::HasSection(std::string_view section) const { return FindSection(section) != npos; }

std::optional<std::string> IniText::Get(std::string_view section, std::string_view key) const {
    const size_t header = FindSection(section);
    if (header == npos) return std::nullopt;
    const size_t line = FindKey(header, key);
    if (line == npos) return std::nullopt;
    return std::string(EntryOf(lines_[line])->value);
}

void IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string text = std::string(key) + "=" + std::string(value);
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');

    size_t header = FindSection(section);
    if (header == npos) {
        if (!lines_.empty() && !Trim(lines_.back()).empty()) lines_.emplace_back();
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(std::move(text));
        return;
    }
    const size_t existing = FindKey(header, key);
    if (existing != npos) {
        lines_[existing] = std::move(text);
        return;
    }
    // After the section's last non-blank line, so that a blank line that
    // separates it from the next section stays where it is.
    size_t at = SectionEnd(header);
    while (at > header + 1 && Trim(lines_[at - 1]).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(text));
}

std::string IniText::Text() const {
    std::string out;
    for (const auto& line : lines_) {
        out += line;
        out += lineEnd_;
    }
    return out;
}

}  // namespace ml
