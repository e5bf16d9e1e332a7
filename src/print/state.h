#pragma once

namespace print {

// Orientation the report page is composed for, set on the printer before each page
// (2 = landscape); the setting the operator had is restored at exit.
inline constexpr int kPageLayout = 2;

struct State {
  int PagesPrinted = 0;  // pages the printer accepted
};

}  // namespace print
