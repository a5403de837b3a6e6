#pragma once
// One libxlsxwriter workbook written atomically: created on a temporary file
// beside the target, renamed over the target only once it is complete.
#include <xlsxwriter.h>

#include <string>

namespace ml::ledger {

class XlsxWorkbook {
public:
    explicit XlsxWorkbook(const std::string& path);
    ~XlsxWorkbook();  // removes the temporary file unless committed
    XlsxWorkbook(const XlsxWorkbook&) = delete;
    XlsxWorkbook& operator=(const XlsxWorkbook&) = delete;

    // Null when the temporary file could not be made (see Commit's error).
    lxw_workbook* get() const { return book_; }

    // A cell format: borders, centred, wrapped; `numberFormat` and the
    // background (0xRRGGBB, or -1 for none) when given.
    lxw_format* Cell(const char* numberFormat = nullptr, int background = -1, bool bold = false);

    // Closes the workbook and puts it in place.
    bool Commit(std::string& error);

private:
    std::string path_;
    std::string temp_;
    std::string error_;
    lxw_workbook* book_ = nullptr;
    bool done_ = false;
};

}  // namespace ml::ledger
