#pragma once
// An INI file as lines, read and edited the way the Windows private-profile
// functions do, so that Setting.ini moves between the builds unchanged:
//
// - "[name]" opens a section; the name may be empty ("[]"), which is the
//   section the fifteen settings live in. Keys before the first header
//   belong to the empty-named section too (a file written without any
//   section line keeps its values), searched before a "[]" section.
// - "key=value" lines; key and value are trimmed of blanks; section and key
//   names compare without regard to ASCII case; the first match wins.
// - Anything else (comments, blank lines, other sections, unknown keys) is
//   kept byte for byte when a value is set.
// - Values in quotes keep their quotes (the Windows functions strip them on
//   reading; the program never writes any).
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

    // The file's bytes: untouched lines exactly as they were (with their own
    // line ends, a missing final line end, a UTF-8 byte order mark); new
    // lines end like the file's first line (CR LF for a new file).
    std::string Text() const;

private:
    // The lines of a section without its header, [begin, end).
    struct Body {
        size_t begin;
        size_t end;
    };
    // Index of the section's first header line, or npos.
    size_t FindSection(std::string_view section) const;
    // Index one past the section's last line (npos: before the first header).
    size_t SectionEnd(size_t header) const;
    // Where the section's keys are, in the order they are searched: for the
    // empty-named section the lines before the first header (when they hold
    // a key), then its "[]" section.
    std::vector<Body> Bodies(std::string_view section) const;
    // The line of the key (of any key with `anyKey`) in `body`, or npos.
    size_t FindKey(Body body, std::string_view key, bool anyKey = false) const;

    struct Line {
        std::string text;
        std::string end;  // "\r\n", "\n", or empty for a last line without one
    };
    void Insert(size_t at, std::string text);

    std::vector<Line> lines_;
    std::string lineEnd_ = "\r\n";
    // Editors that save UTF-8 may put a byte order mark before "[]"; it is
    // kept aside so that the section header is still found.
    bool byteOrderMark_ = false;
};

}  // namespace ml
