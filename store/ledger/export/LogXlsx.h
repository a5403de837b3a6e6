#pragma once
// The official log and the refund record as XLSX workbooks that an
// accountant can reopen and check: the form's layout in real cells, numbers
// as numbers, every total a formula (with its value stored, so readers that
// do not calculate see it too). Printed, the column headings repeat on every
// page, pages are numbered and the totals close the last one.
//
// The workbook is written to a temporary file beside `path` and renamed over
// it: a failure leaves no half-written file and keeps an earlier one.
#include <string>

#include "core/ledger/OfficialLog.h"

namespace ml::ledger {

// False with a message in `error` when the file could not be written.
bool WriteLogXlsx(const OfficialLog& log, const std::string& path, std::string& error);
bool WriteRefundXlsx(const RefundRecord& refund, const std::string& path, std::string& error);

}  // namespace ml::ledger
