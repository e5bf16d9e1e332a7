#pragma once

namespace print {

struct State {
  int PagesPrinted = 0;
};

}  // namespace print
