#include "files/calibration.h"

#include <cmath>
#include <limits>
#include <utility>

#include "common/error_box.h"
#include "common/number_text.h"
#include "common/prompt.h"
#include "common/text_file.h"

namespace files {

namespace {

std::string LoadErrorTitle(int number) {
  return "Error Loading Calibration Factors File (Krx8Cal.Dat)\r\n Error # " +
         common::NumberText(static_cast<float>(number)) + " Occured";
}

// Runs `statement` under the loading box: Retry runs it again, Cancel returns false.
template <typename F>
bool RetryLoading(ui::Platform& platform, F&& statement) {
  return common::RetryCancelTitled(platform, LoadErrorTitle, std::forward<F>(statement));
}

}  // namespace

std::string CalFactorText(float v) {
  std::string s = common::NumberText(v);
  if (!s.empty() && s[0] == ' ') s.erase(0, 1);
  return s;
}

void LoadCalFactors(Program& p) {
  common::TextReader reader("");
  if (!RetryLoading(p.platform, [&] { reader = common::TextReader::Open(kCalFileName); })) return;
  ReadCalFactors(p, reader);
}

void ReadCalFactors(Program& p, common::TextReader& reader) {
  auto& cal = p.files.CalFactors;
  for (int i = 1; i <= kCalEntries; ++i) {
    bool read = RetryLoading(p.platform, [&] {
      // A failed read leaves the reader where it was, so Retry reads the same line again
      // and no later value slips into this entry.
      common::TextReader before = reader;
      try {
        double v = reader.ReadNumber();
        if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max())
          throw common::RunError(common::kErrOverflow);
        cal[i] = v == 0 ? 1.0f : static_cast<float>(v);
      } catch (...) {
        reader = std::move(before);
        throw;
      }
    });
    if (!read) return;
  }
}

void SaveCalFactors(Program& p) {
  common::TextWriter writer(kCalFileName);
  for (int i = 1; i <= kCalEntries; ++i) writer.WriteLine({CalFactorText(p.files.CalFactors[i])});
  common::RetryCancel(p.platform, [&] { writer.Commit(); });
}

void EditCalGain(Program& p, int channel) {
  if (channel < 1 || channel > 16) return;
  float& factor = p.files.CalFactors[channel + kCalGainBase];
  common::AskNumberInBounds(
      p.platform,
      "Enter Channel #" + std::to_string(channel) + " calibration factor between 0.75 and 1.25",
      "Setup Calibration Factors", common::PromptDefaultText(factor),
      {0.75, 1.25, "The Number must be between 0.75 and 1.25.", "Out Of Bounds"}, factor);
}

void UpdateCalFactors(Program& p) {
  if (p.platform.MessageBox(
          "This will alter the VAV calibration file; do you want to alter the file?",
          ui::Buttons::YesNo, ui::Icon::Critical, "") == ui::Answer::No)
    return;
  SaveCalFactors(p);
}

}  // namespace files
