#include "app/work_folder.h"

#include <cstdlib>
#include <filesystem>

#include "common/run_error.h"
#include "common/text_file.h"
#include "files/calibration.h"
#include "profile/profile_file.h"

namespace app {

namespace fs = std::filesystem;

namespace {

bool Absolute(const char* path) {
  return path != nullptr && *path != '\0' && fs::path(path).is_absolute();
}

// Through the files' own replace mechanism: a failed copy never leaves a truncated file
// that would pass for the user's own.
bool Seed(const fs::path& from, const fs::path& to, std::string& why) {
  std::error_code ec;
  if (fs::exists(to, ec) || !fs::exists(from, ec)) return true;
  try {
    common::ReplaceFile(to.string(), [&](const std::string& temporary) {
      std::error_code copyError;
      if (!fs::copy_file(from, temporary, fs::copy_options::overwrite_existing, copyError))
        throw common::RunError(common::ErrorFromErrno(copyError.value()));
    });
    return true;
  } catch (const common::RunError&) {
    why = "cannot copy " + from.string() + " to " + to.string();
    return false;
  }
}

}  // namespace

std::string ChooseWorkFolder(const std::string& current, const char* xdgDataHome,
                             const char* home) {
  std::error_code ec;
  if (fs::exists(fs::path(current) / profile::kDefaultProfileFile, ec)) return "";
  // Relative values are ignored, as the base-directory rules ask.
  if (Absolute(xdgDataHome)) return (fs::path(xdgDataHome) / "krx8").string();
  if (Absolute(home)) return (fs::path(home) / ".local" / "share" / "krx8").string();
  return "";
}

std::string SampleFolderFor(const std::string& executable) {
  return (fs::path(executable).parent_path().parent_path() / "share" / "krx8").string();
}

bool EnterWorkFolder(const std::string& folder, const std::string& samples, std::string& why) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder, ec)) {
    why = "cannot create the working folder " + folder;
    return false;
  }
  bool seeded = true;
  if (!samples.empty())
    for (const char* name : {profile::kDefaultProfileFile, files::kCalFileName})
      seeded = Seed(fs::path(samples) / name, fs::path(folder) / name, why) && seeded;
  fs::current_path(folder, ec);
  if (ec) {
    why = "cannot work in " + folder;
    return false;
  }
  return seeded;
}

bool SettleWorkFolder(std::string& why) {
  std::error_code ec;
  const fs::path current = fs::current_path(ec);
  if (ec) return true;  // no current folder to compare with: stay
  const std::string folder =
      ChooseWorkFolder(current.string(), std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
  if (folder.empty()) return true;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return EnterWorkFolder(folder, ec ? std::string() : SampleFolderFor(exe.string()), why);
}

}  // namespace app
