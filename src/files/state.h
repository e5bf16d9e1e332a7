#pragma once
#include <array>
#include <string>

namespace files {

struct State {
  std::array<float, 65> CalFactors{};  // 1..64 from the file; 33..48 channel gains
  std::string ReportFileName;
  bool ReportLoaded = false;  // the plot shows a loaded report picture
};

}  // namespace files
