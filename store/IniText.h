#pragma once
// An INI file as lines, read and edited the way the Windows private-profile
// functions do, so that Setting.ini moves between the builds unchanged:
//
// - "[name]" opens a section; the name may be empty ("[]"), which is the
//   section the fifteen settings live in. Lines before the first header
//   belong to no section.
// - "key=value" lines; key and value are trimmed of blanks; section and key
//   names compare without regard to ASCII case; the first match wins.
// - Anything else (comments, blank lines, other sections, unknown keys) is
//   kept byte for byte when a value is set.
//
// Works on the file's bytes as they are (CP949): no CP949 second byte is
// one of "[", "]", "=", CR or LF, so the structure is found safely.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ml {

class IniText {
public:
    static IniText Parse(std::string_view bytes);

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;

    // Replaces the key's line in place, or adds it after the last entry of
    // the section, or adds the section at the end of the file. CR and LF in
    // the value become blanks so that the value stays one line.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes; line ends as the file had them (CR LF for a new one).
    std::string Text() const;

private:
    // Index of the section's header line, or npos.
    size_t FindSection(std::string_view section) const;
    // Index one past the section's last line.
    size_t SectionEnd(size_t header) const;
    size_t FindKey(size_t header, std::string_view key) const;

    std::vector<std::string> lines_;
    std::string lineEnd_ = "\r\n";
};

}  // namespace ml
