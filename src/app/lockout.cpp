#include "app/lockout.h"

#include <algorithm>
#include <iterator>

#include "procedure/runner.h"

namespace app {

using ui::MenuId;

namespace {

// Whole menus: everything in them changes the set-up.
constexpr MenuId kMenus[] = {MenuId::mnuShock, MenuId::mnuTest, MenuId::mnuSystem,
                             MenuId::mnuInputs};
// Single items of the menus that stay.
constexpr MenuId kItems[] = {MenuId::mnuFileOpenProfile, MenuId::mnuFileOpenLegacyProfile,
                             MenuId::mnuFileOpenReport,  MenuId::mnuFileSaveProfile,
                             MenuId::mnuRunEqual,        MenuId::mnuRunPretest,
                             MenuId::mnuRunStart,        MenuId::mnuRunProcedure};

bool In(MenuId id, const MenuId* first, const MenuId* last) {
  return std::find(first, last, id) != last;
}

}  // namespace

bool LockedOut(const Program& p) {
  return procedure::Active(p);
}

bool MenuRefused(MenuId id) {
  if (In(id, std::begin(kItems), std::end(kItems))) return true;
  for (MenuId m = id; m != MenuId::None; m = ui::Def(m).Parent)
    if (In(m, std::begin(kMenus), std::end(kMenus))) return true;
  return false;
}

bool KeyRefused(int key) {
  switch (key) {
    case 'E':
    case 'e':
    case 'P':
    case 'p':
    case 'S':
    case 's':
      return true;
    default:
      return false;
  }
}

bool EventRefused(const Program& p, const Event& e) {
  if (!LockedOut(p)) return false;
  switch (e.Kind) {
    case EventKind::Menu:
      return e.Menu != MenuId::None && MenuRefused(e.Menu);
    case EventKind::Button:
      return true;
    case EventKind::SpinUp:
    case EventKind::SpinDown:
      return e.Spin == ui::SpinId::SpnLevel;
    case EventKind::Key:
      return KeyRefused(e.Key);
    default:
      return false;
  }
}

void ShowLockOut(Program& p) {
  const bool on = !LockedOut(p);
  auto& w = p.win;
  for (MenuId id : kMenus) w.Menu(id).Enabled = on;
  for (MenuId id : kItems) w.Menu(id).Enabled = on;
  for (int b = 0; b < static_cast<int>(ui::ButtonId::Count); ++b)
    w.Button(static_cast<ui::ButtonId>(b)).Enabled = on;
  w.Spin(ui::SpinId::SpnLevel).Enabled = on;
}

}  // namespace app
