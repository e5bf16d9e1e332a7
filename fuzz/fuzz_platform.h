#pragma once
// A silent platform for the fuzz targets: every box answers Retry a few times and then
// Cancel, every prompt and dialog is cancelled, drawing goes nowhere.
#include <string>

#include "ui/headless_platform.h"
#include "ui/platform.h"

namespace fuzzing {

// The headless platform of the program, with its own answers: every box answers Retry a
// few times and then Cancel (Yes to a question), and drawing has a size to scale to.
class NullPlatform : public ui::HeadlessPlatform {
 public:
  int Boxes = 0;
  int RetriesLeft = 2;
  ui::Answer MessageBox(const std::string&, ui::Buttons b, ui::Icon, const std::string&) override {
    ++Boxes;
    if (b == ui::Buttons::RetryCancel)
      return RetriesLeft-- > 0 ? ui::Answer::Retry : ui::Answer::Cancel;
    return b == ui::Buttons::YesNo ? ui::Answer::Yes : ui::Answer::OK;
  }
  std::string ShortDate() override { return "1/1/2000"; }
  std::string ShortTime() override { return "00:00"; }
  ui::Canvas& PlotCanvas() override { return canvas_; }
  ui::Printer& GetPrinter() override { return printer_; }

 private:
  ui::NullCanvas canvas_{800, 500};
  ui::NullPrinter printer_{12240, 15840, true};
};

}  // namespace fuzzing
