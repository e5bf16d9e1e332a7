#include "files/auto_actions.h"

#include "files/data_file.h"
#include "files/report_file.h"

namespace files {

// The end of a run writes the report picture and the test data under the names asked
// for when the equalisation was armed (or asks now when none was given).
void SaveTestReport(Program& p) {
  AutoSaveReport(p);
}

void ExportTestData(Program& p) {
  AutoExportData(p);
}

}  // namespace files
