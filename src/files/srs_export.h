#pragma once
// File > Export SRS: the oscillator spectra of the reference and of every active channel
// as comma-separated text.
#include "program/program.h"

namespace files {

inline constexpr const char* kSrsPattern = "KRXSrsC.*";
inline constexpr const char* kSrsExportTitle = "KRX-8 Export SRS";
inline constexpr const char* kSrsExportFilter =
    "All SRS Data (KRXSrsC.*)|KRXSrsC.*|All Files (*.*)|*.*";

void ExportSrs(Program& p);

}  // namespace files
