#include "ui/window.h"

#include <cstdio>
#include <stdexcept>

namespace ui {

namespace {
constexpr std::array<MenuDef, kMenuCount> kTree = {{
#define MENU(id, parent, caption, kind, owner, checked) \
  {MenuId::id, MenuId::parent, #id, caption, MenuKind::kind, Owner::owner, checked},
#include "ui/menu_tree.def"
#undef MENU
}};

constexpr std::array<std::string_view, kLabelCount> kLabelNames = {
#define LABEL(id, caption) #id,
#include "ui/controls.def"
#undef LABEL
};
constexpr std::array<std::string_view, kLabelCount> kLabelCaptions = {
#define LABEL(id, caption) caption,
#include "ui/controls.def"
#undef LABEL
};
}  // namespace

const std::array<MenuDef, kMenuCount>& MenuTree() {
  return kTree;
}
const MenuDef& Def(MenuId id) {
  return kTree[static_cast<int>(id)];
}

int ArraySlot(MenuId id) {
  switch (id) {
    case MenuId::mnuSystemCalGain:
      return 0;
    case MenuId::mnuInputsSens:
      return 1;
    case MenuId::mnuInputsCurrent:
      return 2;
    case MenuId::mnuViewResponse:
      return 3;
    default:
      return -1;
  }
}

std::string MenuCaption(MenuId id, int index) {
  const MenuDef& d = Def(id);
  std::string c(d.Caption);
  if (d.Kind != MenuKind::Array) return c;
  size_t p = c.find("%d");
  return c.substr(0, p) + std::to_string(index + 1) + c.substr(p + 2);
}

MenuId MenuByName(std::string_view name) {
  for (const auto& d : kTree)
    if (d.Name == name) return d.Id;
  return MenuId::None;
}

std::string_view LabelName(LabelId id) {
  return kLabelNames[static_cast<int>(id)];
}
LabelId LabelByName(std::string_view name) {
  for (int i = 0; i < kLabelCount; ++i)
    if (kLabelNames[i] == name) return static_cast<LabelId>(i);
  return LabelId::Count;
}

std::string_view ButtonName(ButtonId id) {
  static constexpr std::string_view n[] = {"cmdEqual", "cmdPreTest", "cmdStart"};
  return n[static_cast<int>(id)];
}
std::string_view SpinName(SpinId id) {
  static constexpr std::string_view n[] = {"SpnLevel", "spnXaxis", "spnYaxis"};
  return n[static_cast<int>(id)];
}
std::string_view ImageName(ImageId id) {
  static constexpr std::string_view n[] = {"imgSine", "Image3"};
  return n[static_cast<int>(id)];
}
std::string_view TimerName(TimerId id) {
  static constexpr std::string_view n[] = {"tmrTimer1", "tmrTimer2", "tmrTimer3"};
  return n[static_cast<int>(id)];
}

Window::Window() {
  for (const auto& d : kTree) {
    if (d.Kind == MenuKind::Array) {
      auto& arr = arrays_[ArraySlot(d.Id)];
      for (int i = 0; i < 16; ++i) arr[i].Caption = MenuCaption(d.Id, i);
    }
    auto& it = items_[static_cast<int>(d.Id)];
    it.Caption = std::string(d.Caption);
    it.Checked = d.CheckedInDesign;
  }
  for (int i = 0; i < kLabelCount; ++i) labels_[i].Caption = std::string(kLabelCaptions[i]);
  // The acceptance verdict shows only once a pulse was judged.
  labels_[static_cast<int>(LabelId::lblAccept)].Visible = false;
  // The waveform control's line shows only once a shaped pulse was fired.
  labels_[static_cast<int>(LabelId::lblWaveform)].Visible = false;
  buttons_[0].Caption = "EQUALIZE";
  buttons_[1].Caption = "PRE-TEST";
  buttons_[2].Caption = "START";
  timers_[0].Interval = 1000;
  timers_[0].Enabled = false;
  timers_[1].Interval = 0;
  timers_[1].Enabled = false;
  timers_[2].Interval = 250;
  timers_[2].Enabled = true;
}

MenuItem& Window::Menu(MenuId id, int index) {
  int slot = ArraySlot(id);
  if (slot >= 0) {
    if (index < 0 || index > 15) throw std::out_of_range("menu array index");
    return arrays_[slot][index];
  }
  return items_[static_cast<int>(id)];
}
const MenuItem& Window::Menu(MenuId id, int index) const {
  return const_cast<Window*>(this)->Menu(id, index);
}

void Window::SetTimerInterval(TimerId id, int ms) {
  auto& t = timers_[static_cast<int>(id)];
  t.Interval = ms;
  ++t.Epoch;
  if (TimerWritten) TimerWritten(id);
}
void Window::SetTimerEnabled(TimerId id, bool on) {
  auto& t = timers_[static_cast<int>(id)];
  t.Enabled = on;
  ++t.Epoch;
  if (TimerWritten) TimerWritten(id);
}

}  // namespace ui
