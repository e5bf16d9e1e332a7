#pragma once
// The automatic actions after a run; their files and pages come with the report work.
#include "app/program.h"

namespace files {
void SaveTestReport(Program& p);  // the report picture under the report file name
void ExportTestData(Program& p);  // the test data file
}  // namespace files
#include "print/report_page.h"  // print::PrintReport, the automatic print
