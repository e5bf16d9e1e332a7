#include "app/keys.h"

namespace app {
void KeyPress(Program&, int) {}
}  // namespace app
