#include "files/report_file.h"

#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <system_error>

#include "common/error_box.h"
#include "common/file_name.h"
#include "common/run_error.h"
#include "common/text_file.h"
#include "profile/profile_file.h"

namespace files {

using common::RunError;
namespace fs = std::filesystem;

namespace {

bool AskYesNo(Program& p, const char* question) {
  return p.platform.MessageBox(question, ui::Buttons::YesNo, ui::Icon::Critical, "") !=
         ui::Answer::No;
}

fs::path FolderOf(const fs::path& file) {
  return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// The error a file that cannot be reached at all raises, before the picture is tried.
void CheckReachable(const fs::path& file) {
  std::error_code ec;
  if (fs::is_directory(file, ec)) throw RunError(common::kErrPathFileAccess);
  if (!fs::is_directory(FolderOf(file), ec)) throw RunError(common::kErrPathNotFound);
}

}  // namespace

bool EndsWithExe(const std::string& name) {
  if (name.size() < 3) return false;
  std::string tail = name.substr(name.size() - 3);
  for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return tail == "EXE";
}

bool AskAutoFileName(Program& p, const std::string& title, const std::string& filter,
                     const std::string& pattern, std::string& target) {
  const std::string name = p.platform.SaveFileDialog(title, filter, 1, pattern);
  target = name;
  bool go = true;
  if (EndsWithExe(name)) go = AskYesNo(p, profile::kExeQuestion);
  if (go && name.empty()) go = AskYesNo(p, kNoFileNameQuestion);
  if (go && common::IsPatternName(name, pattern)) go = AskYesNo(p, kNoExtensionQuestion);
  target = go ? name : std::string();
  return go;
}

void SavePlotPicture(Program& p, const std::string& path) {
  common::ReplaceFile(path, [&](const std::string& tmp) {
    if (!p.platform.PlotCanvas().SavePicture(tmp)) {
      const bool writable = ::access(FolderOf(fs::path(path)).c_str(), W_OK) == 0;
      throw RunError(writable ? common::kErrPathFileAccess : common::kErrPermissionDenied);
    }
  });
}

void LoadPlotPicture(Program& p, const std::string& path) {
  const fs::path file(path);
  CheckReachable(file);
  std::error_code ec;
  if (!fs::exists(file, ec)) throw RunError(common::kErrFileNotFound);
  if (!p.platform.PlotCanvas().LoadPicture(path)) throw RunError(common::kErrInvalidPicture);
}

void SaveReport(Program& p) {
  auto& f = p.files;
  f.ReportFileName = p.platform.SaveFileDialog(kSaveReportTitle, kReportFilter, 1, kReportPattern);
  if (EndsWithExe(f.ReportFileName) && !AskYesNo(p, profile::kExeQuestion)) return;
  // A cancelled or untouched dialog saves nothing and says nothing.
  if (!common::IsChosenName(f.ReportFileName, kReportPattern)) return;
  const std::string name = f.ReportFileName;
  common::RetryCancel(p.platform, [&] { SavePlotPicture(p, name); });
}

void OpenReport(Program& p) {
  const std::string name =
      p.platform.OpenFileDialog(kOpenReportTitle, kReportFilter, 1, kReportPattern);
  p.profile.ProfileFileName = name;
  if (!common::IsChosenName(name, kReportPattern)) return;
  common::RetryCancel(p.platform, [&] {
    LoadPlotPicture(p, name);
    p.files.ReportLoaded = true;
  });
}

void AskReportFileName(Program& p) {
  AskAutoFileName(p, kAutoSaveReportTitle, kReportFilter, kReportPattern, p.files.ReportFileName);
}

void AutoSaveReport(Program& p) {
  auto& f = p.files;
  // A run started without an armed equalisation (manual mode, or auto-save switched on
  // since) has no name yet: ask now rather than lose the report or write it under the
  // wildcard pattern.
  if (!common::IsChosenName(f.ReportFileName, kReportPattern)) AskReportFileName(p);
  if (!common::IsChosenName(f.ReportFileName, kReportPattern)) return;
  const std::string name = f.ReportFileName;
  common::RetryCancel(p.platform, [&] { SavePlotPicture(p, name); });
}

}  // namespace files
