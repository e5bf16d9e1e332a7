#pragma once
// The report of a procedure, one PDF written however it ended: a summary page, then for
// each step that ran the printed page of its last full-level pulse and its pulse table.
#include <ctime>

#include "program/program.h"

namespace procedure {

// Writes the report into the procedure's document; a document that cannot be written is
// reported in one box and kept as ReportError.
void WriteReport(Program& p);

// The document lines of the summary and of one step's table, as printed.
std::vector<std::string> SummaryLines(const Program& p);
std::string OverallVerdict(const Program& p);

// The zone the report's times are in, at `at`: "local time, UTC+01:00".
std::string LocalZoneText(std::time_t at);

}  // namespace procedure
