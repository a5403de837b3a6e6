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
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
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
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        ini.byteOrderMark_ = true;
        bytes.remove_prefix(kByteOrderMark.size());
    }
    bool first = true;
    while (!bytes.empty()) {
        const size_t newline = bytes.find('\n');
        std::string_view line = bytes.substr(0, newline);
        std::string end;
        if (newline != npos) {
            const bool crlf = !line.empty() && line.back() == '\r';
            if (crlf) line.remove_suffix(1);
            end = crlf ? "\r\n" : "\n";
            if (first) ini.lineEnd_ = end;
        }
        first = false;
        ini.lines_.push_back(Line{std::string(line), std::move(end)});
        bytes = newline == npos ? std::string_view{} : bytes.substr(newline + 1);
    }
    return ini;
}

void IniText::Insert(size_t at, std::string text) {
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(text), lineEnd_});
}

size_t IniText::FindSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i) {
        const auto name = HeaderName(lines_[i].text);
        if (name && SameName(*name, section)) return i;
    }
    return npos;
}

size_t IniText::SectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && !HeaderName(lines_[i].text)) ++i;
    return i;
}

std::vector<IniText::Body> IniText::Bodies(std::string_view section) const {
    std::vector<Body> bodies;
    if (section.empty()) {
        // Keys before the first header belong to the empty-named section.
        const size_t firstHeader = SectionEnd(npos);
        if (FindKey({0, firstHeader}, {}, true) != npos) bodies.push_back({0, firstHeader});
    }
    const size_t header = FindSection(section);
    if (header != npos) bodies.push_back({header + 1, SectionEnd(header)});
    return bodies;
}

size_t IniText::FindKey(Body body, std::string_view key, bool anyKey) const {
    for (size_t i = body.begin; i < body.end; ++i) {
        const auto entry = EntryOf(lines_[i].text);
        if (entry && (anyKey || SameName(entry->key, key))) return i;
    }
    return npos;
}

bool IniText::HasSection(std::string_view section) const { return !Bodies(section).empty(); }

std::optional<std::string> IniText::Get(std::string_view section, std::string_view key) const {
    for (const Body& body : Bodies(section)) {
        const size_t line = FindKey(body, key);
        if (line != npos) return std::string(EntryOf(lines_[line].text)->value);
    }
    return std::nullopt;
}

void IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    std::string text = std::string(key) + "=" + std::string(value);
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');

    const std::vector<Body> bodies = Bodies(section);
    if (bodies.empty()) {
        if (!lines_.empty() && !Trim(lines_.back().text).empty()) Insert(lines_.size(), {});
        Insert(lines_.size(), "[" + std::string(section) + "]");
        Insert(lines_.size(), std::move(text));
        return;
    }
    for (const Body& body : bodies) {
        const size_t existing = FindKey(body, key);
        if (existing != npos) {
            lines_[existing].text = std::move(text);
            return;
        }
    }
    // After the section's last non-blank line, so that a blank line that
    // separates it from the next section stays where it is.
    const Body& body = bodies.back();
    size_t at = body.end;
    while (at > body.begin && Trim(lines_[at - 1].text).empty()) --at;
    Insert(at, std::move(text));
}

std::string IniText::Text() const {
    std::string out = byteOrderMark_ ? "\xEF\xBB\xBF" : "";
    for (size_t i = 0; i < lines_.size(); ++i) {
        out += lines_[i].text;
        // A last line without a line end gets one only when lines follow it.
        out += (lines_[i].end.empty() && i + 1 < lines_.size()) ? lineEnd_ : lines_[i].end;
    }
    return out;
}

}  // namespace ml
