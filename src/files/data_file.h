#pragma once
// The test data file: the samples of the last pulse (time, the eight master channels in G,
// the drive), the whole profile record, and a trailer of titles, date, counters and peaks,
// as comma-separated text.
#include <string>

#include "program/program.h"

namespace files {

inline constexpr const char* kDataPattern = "KRXDataC.*";
inline constexpr const char* kExportTitle = "KRX-8 Save Test Data";
inline constexpr const char* kExportFilter =
    "All Test Data(KRXDataC.*)| KRXDataC.*| All Files (*.*)| *.* ";
inline constexpr const char* kAutoExportTitle = " KRX-8 Auto-Export Data";
inline constexpr const char* kAutoExportFilter =
    "All Data (KRXDataC.*)|KRXDataC.*|All Data (*.dat)|*.dat|All Files (*.*)|*.*";
inline constexpr int kDataSampleLines = 1023;  // samples 1..1023 of the record

// The whole file's text. Reads the platform's date and time.
std::string TestDataText(Program& p);
// Writes the file to DataFileName, replacing an existing one only once the new one is
// complete. Throws common::RunError: the caller's box reports it.
void WriteTestData(Program& p);

void ExportData(Program& p);       // File > Export Test Data
void AskDataFileName(Program& p);  // when an equalisation is armed with auto-export on
// The end of a run with auto-export on; with no name chosen yet the auto-export dialog is
// shown first, and nothing is written if it yields none.
void AutoExportData(Program& p);

}  // namespace files
