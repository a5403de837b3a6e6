// A form page filled without the program: the statements run from a script
// at the end of the body, each through its own eval so that one failing
// (even one that does not parse) stops none of the others, as the program's
// page view runs them.
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "core/ledger/LedgerExport.h"

namespace ml::ledger {
namespace {

// The content of <meta name="paper" content="...">: the paper the page's
// sheets are cut for, which a browser is asked to print on.
std::string PaperOf(const std::string& page) {
    const std::string_view key = "name=\"paper\" content=\"";
    const size_t at = page.find(key);
    if (at == std::string::npos) return "A4";
    const size_t from = at + key.size();
    const size_t to = page.find('"', from);
    if (to == std::string::npos) return "A4";
    std::string paper = page.substr(from, to - from);
    for (char c : paper)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == ' ')) return "A4";
    return paper;
}

// A statement as a script string literal that cannot end the script element.
std::string ScriptString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '<': out += "\\x3C"; break;
            default: out += c;
        }
    }
    out += '"';
    return out;
}

}  // namespace

std::string StandaloneReportHtml(const std::string& pageHtml, const std::vector<std::string>& statements) {
    // A browser prints with its own margins unless the page names them; the
    // sheets are cut for 10 mm.
    std::string style = "<style>@page { size: " + PaperOf(pageHtml) + "; margin: 10mm; }</style>\n";
    std::string script = "<script>\n[";
    for (const std::string& statement : statements) script += "\n" + ScriptString(statement) + ",";
    script += "\n].forEach(function (s) { try { (0, eval)(s); } catch (e) { console.error(e); } });\n</script>\n";

    std::string out = pageHtml;
    const size_t head = out.find("</head>");
    if (head != std::string::npos) {
        out.insert(head, style);
    } else {
        out.insert(0, style);
    }
    const size_t body = out.rfind("</body>");
    if (body != std::string::npos) {
        out.insert(body, script);
    } else {
        out += script;
    }
    return out;
}

}  // namespace ml::ledger
