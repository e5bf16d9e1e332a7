#include "files/srs_export.h"

#include "analysis/srs_csv.h"
#include "analysis/srs_inputs.h"
#include "common/error_box.h"
#include "common/file_name.h"
#include "common/text_file.h"
#include "files/report_file.h"

namespace files {

void ExportSrs(Program& p) {
  const std::string name =
      p.platform.SaveFileDialog(kSrsExportTitle, kSrsExportFilter, 1, kSrsPattern);
  if (!common::IsChosenName(name, kSrsPattern)) return;
  const uint32_t channels = analysis::ActiveChannels(p);
  analysis::ComputeProgramSrs(p, channels);
  const std::string text = analysis::SrsCsvText(p.srs.Result, channels);
  common::RetryCancel(p.platform, [&] { common::WriteFileAtomically(name, text); });
}

}  // namespace files
