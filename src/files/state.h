#pragma once
#include <array>
#include <string>

namespace files {

struct State {
  std::array<float, 65> CalFactors{};  // 1..64 from the file; 33..48 channel gains
  std::string ReportFileName;          // name chosen in the last report save or auto-save dialog
  std::string DataFileName;            // name chosen in the last export or auto-export dialog
  bool ReportLoaded = false;           // the plot shows a loaded report picture
  std::string ClipText;                // the last data copy put on the clipboard
};

}  // namespace files
