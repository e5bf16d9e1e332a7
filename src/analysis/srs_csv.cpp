#include "analysis/srs_csv.h"

#include <cfloat>
#include <cmath>
#include <vector>

#include "analysis/srs_inputs.h"
#include "common/number_text.h"
#include "common/text_file.h"

namespace analysis {

namespace {

// Seven significant digits, without the blank that stands for a plus sign on screen. A
// value beyond single precision (a broken calibration) keeps its double digits.
std::string Number(double v) {
  std::string s = std::fabs(v) <= FLT_MAX ? common::NumberText(static_cast<float>(v))
                                          : common::NumberTextDouble(v);
  if (!s.empty() && s[0] == ' ') s.erase(0, 1);
  return s;
}

void AddColumns(std::vector<std::string>& items, const std::string& name) {
  for (const char* part : {" Maximax G", " Primary G", " Residual G"})
    items.push_back(common::Quoted(name + part));
}

}  // namespace

std::string SrsCsvText(const SrsResult& r, uint32_t channels) {
  std::vector<int> lanes = {0};
  for (int c = 1; c <= 16; ++c)
    if (channels & ChannelBit(c)) lanes.push_back(c);

  common::TextWriter w("");
  std::vector<std::string> items;
  items.push_back(common::Quoted("Frequency Hz (Q = " + Number(r.Q) + ")"));
  for (int lane : lanes) AddColumns(items, lane == 0 ? "Reference" : "Ch#" + std::to_string(lane));
  w.WriteLine(items);
  for (int f = 0; f < r.Count; ++f) {
    items.clear();
    items.push_back(Number(r.Frequency[f]));
    for (int lane : lanes) {
      items.push_back(Number(r.Maximax[f][lane]));
      items.push_back(Number(r.Primary[f][lane]));
      items.push_back(Number(r.Residual[f][lane]));
    }
    w.WriteLine(items);
  }
  return w.Content();
}

}  // namespace analysis
