#include "store/ledger/export/XlsxWorkbook.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace ml::ledger {

XlsxWorkbook::XlsxWorkbook(const std::string& path) : path_(path) {
    // Beside the target, so that the rename stays on one file system; named
    // by the process and a count, and created by the writer itself, so the
    // file gets the permissions any new file of the user gets.
    // A folder that is missing or not writable is found here, before the
    // writer tries and prints its own complaint.
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (access(folder.c_str(), W_OK) != 0) {
        error_ = "XLSX 파일을 저장할 수 없습니다: " + path + " (" + std::strerror(errno) + ")";
        return;
    }
    static std::atomic<unsigned> count{0};
    do {
        temp_ = path + "." + std::to_string(getpid()) + "-" + std::to_string(count++) + ".tmp";
    } while (access(temp_.c_str(), F_OK) == 0);
    book_ = workbook_new(temp_.c_str());
    if (!book_) error_ = "XLSX 파일을 시작할 수 없습니다: " + path;
}

XlsxWorkbook::~XlsxWorkbook() {
    if (done_) return;
    if (book_) workbook_close(book_);
    if (!temp_.empty()) std::remove(temp_.c_str());
}

lxw_format* XlsxWorkbook::Cell(const char* numberFormat, int background, bool bold) {
    lxw_format* format = workbook_add_format(book_);
    format_set_border(format, LXW_BORDER_THIN);
    format_set_align(format, LXW_ALIGN_CENTER);
    format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
    format_set_text_wrap(format);
    if (numberFormat) format_set_num_format(format, numberFormat);
    if (background >= 0) format_set_bg_color(format, static_cast<lxw_color_t>(background));
    if (bold) format_set_bold(format);
    return format;
}

bool XlsxWorkbook::Commit(std::string& error) {
    if (!book_) {
        error = error_;
        return false;
    }
    const lxw_error closed = workbook_close(book_);
    book_ = nullptr;
    if (closed != LXW_NO_ERROR) {
        error = "XLSX 파일을 쓸 수 없습니다: " + path_ + " (" + lxw_strerror(closed) + ")";
        return false;
    }
    // On disk before it replaces the old file, so a crash leaves one of the two.
    const int fd = open(temp_.c_str(), O_RDONLY);
    const bool synced = fd >= 0 && fsync(fd) == 0;
    if (fd >= 0) close(fd);
    if (!synced || std::rename(temp_.c_str(), path_.c_str()) != 0) {
        error = "XLSX 파일을 저장할 수 없습니다: " + path_ + " (" + std::strerror(errno) + ")";
        return false;
    }
    done_ = true;
    return true;
}

}  // namespace ml::ledger
