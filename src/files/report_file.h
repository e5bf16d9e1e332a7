#pragma once
// Test reports: the picture of the plot area saved as a bitmap file, opened back into the
// plot, and saved automatically at the end of a run under a name asked for when the run
// is armed.
#include <string>

#include "program/program.h"

namespace files {

inline constexpr const char* kReportPattern = "KRXTestC.*";
inline constexpr const char* kReportFilter =
    "All Reports (KRXTestC.*)|KRXTestC.*|All Reports (*.rpt)|*.rpt|All Files (*.*)|*.*";
inline constexpr const char* kSaveReportTitle = " KRX-8 Save Report";
inline constexpr const char* kOpenReportTitle = " KRX-8 Open Test Report";
inline constexpr const char* kAutoSaveReportTitle = " KRX-8 Auto-Save Report";
inline constexpr const char* kNoFileNameQuestion =
    "You have not chosen a filename; do you want to continue to save this file?";
inline constexpr const char* kNoExtensionQuestion =
    "You have not chosen an extension the filename; do you want to continue to save this file?";

// True when the last three characters, in upper case, are "EXE".
bool EndsWithExe(const std::string& name);

// The auto-save and auto-export dialog with its questions. The name goes to `target`;
// a No to any question clears it, so the end of the run asks again rather than writing
// under a name the operator refused. Returns false on a No.
bool AskAutoFileName(Program& p, const std::string& title, const std::string& filter,
                     const std::string& pattern, std::string& target);

// Saves the plot picture through a temporary file renamed over `path`, so a failed save
// leaves an older report as it was. Throws common::RunError.
void SavePlotPicture(Program& p, const std::string& path);
// Shows the picture of `path` in the plot area. Throws common::RunError.
void LoadPlotPicture(Program& p, const std::string& path);

void SaveReport(Program& p);         // File > Save Report
void OpenReport(Program& p);         // File > Open Report
void AskReportFileName(Program& p);  // when an equalisation is armed with auto-save on
// The end of a run with auto-save on: the picture goes to ReportFileName; with no name
// chosen yet the auto-save dialog is shown first, and nothing is saved if it yields none.
void AutoSaveReport(Program& p);

}  // namespace files
