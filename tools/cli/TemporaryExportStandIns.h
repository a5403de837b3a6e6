#pragma once
// TEMPORARY, delete when the ledger renderers are merged: stand-ins for
// store/ledger/export/LogXlsx.h and the generated pages/ReportPages.h, so
// that `ledger report` builds on this branch alone. LedgerReportCommand.cpp
// includes the real headers as soon as they exist, and tools/CMakeLists.txt
// leaves TemporaryExportStandIns.cpp out once their targets exist.
#include <string>
#include <string_view>

#include "core/ledger/OfficialLog.h"

namespace ml::ledger {
bool WriteLogXlsx(const OfficialLog& log, const std::string& path, std::string& error);
bool WriteRefundXlsx(const RefundRecord& refund, const std::string& path, std::string& error);
}  // namespace ml::ledger

namespace ml::pages {
std::string_view LogReportPage();
std::string_view RefundReportPage();
}  // namespace ml::pages
