#pragma once

namespace ui {
class Printer;
}

namespace print {

// Orientation the report page is composed for, set on the printer before each page
// (2 = landscape); the setting the operator had is restored at exit.
inline constexpr int kPageLayout = 2;

struct State {
  int PagesPrinted = 0;  // pages the printer accepted
  // Where the parts of the page draw when set (a page kept for a later document), else
  // the platform's printer.
  ui::Printer* Target = nullptr;
};

}  // namespace print
