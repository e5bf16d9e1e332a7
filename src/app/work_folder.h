#pragma once
// The folder the program works in: every file name of the program is relative to it.
#include <string>

namespace app {

// The per-user data folder ($XDG_DATA_HOME/krx8, or ~/.local/share/krx8), or empty to stay
// in the current folder: when it holds the default profile, or when neither variable gives
// an absolute path. The variables may be null.
std::string ChooseWorkFolder(const std::string& current, const char* xdgDataHome, const char* home);

// Where an installed program finds its sample files: ../share/krx8 from the executable.
std::string SampleFolderFor(const std::string& executable);

// Creates `folder`, copies the sample profile and calibration file that are missing there
// from `samples`, if given (existing files are never replaced), and makes it the current folder.
// False with `why` when something failed; the current folder changes only on success.
bool EnterWorkFolder(const std::string& folder, const std::string& samples, std::string& why);

// The start-up's one call: chooses the folder from the process's environment and enters it.
bool SettleWorkFolder(std::string& why);

}  // namespace app
