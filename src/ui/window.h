#pragma once
// The main window as plain data: menu items, labels, buttons, spin buttons, images,
// timers and the caption. The Qt layer shows it; the core writes it.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ui {

enum class MenuId : uint16_t {
#define MENU(id, parent, caption, kind, owner, checked) id,
#include "ui/menu_tree.def"
#undef MENU
  None
};
inline constexpr int kMenuCount = static_cast<int>(MenuId::None);

enum class MenuKind : uint8_t { Top, Sub, Item, Sep, Array };
enum class Owner : uint8_t { App, Profile, Control, Daq, Files, Display, Print, History };

struct MenuDef {
  MenuId Id;
  MenuId Parent;
  std::string_view Name;
  std::string_view Caption;  // "%d" stands for the channel number in arrays
  MenuKind Kind;
  Owner OwnerModule;
  bool CheckedInDesign;
};

// The one table of the menu tree, in menu order.
const std::array<MenuDef, kMenuCount>& MenuTree();
const MenuDef& Def(MenuId id);
// The caption of item `index` (0..15) of an array, or the caption of a plain item.
std::string MenuCaption(MenuId id, int index = 0);
MenuId MenuByName(std::string_view name);  // MenuId::None when unknown

enum class LabelId : uint8_t {
#define LABEL(id, caption) id,
#include "ui/controls.def"
#undef LABEL
  Count
};
inline constexpr int kLabelCount = static_cast<int>(LabelId::Count);
std::string_view LabelName(LabelId id);
LabelId LabelByName(std::string_view name);  // LabelId::Count when unknown

enum class ButtonId : uint8_t { cmdEqual, cmdPreTest, cmdStart, Count };
enum class SpinId : uint8_t { SpnLevel, spnXaxis, spnYaxis, Count };
enum class ImageId : uint8_t { imgSine, Image3, Count };
enum class TimerId : uint8_t { tmrTimer1, tmrTimer2, tmrTimer3, Count };
// The timers by their roles; their control names stay as the tables have them.
inline constexpr TimerId kSettlingTimer = TimerId::tmrTimer1;      // the equalisation's delay
inline constexpr TimerId kPacingTimer = TimerId::tmrTimer2;        // the pulses' repetition
inline constexpr TimerId kHousekeepingTimer = TimerId::tmrTimer3;  // trigger, remote, cursor
std::string_view ButtonName(ButtonId id);
std::string_view SpinName(SpinId id);
std::string_view ImageName(ImageId id);
std::string_view TimerName(TimerId id);

// Colours as the classic RGB long: red is 255, black 0.
inline constexpr int32_t kBlack = 0;
inline constexpr int32_t kRed = 255;

struct MenuItem {
  std::string Caption;
  bool Checked = false;
  bool Enabled = true;
  bool Visible = true;
};

struct Label {
  std::string Caption;
  int32_t ForeColor = kBlack;
  bool Visible = true;
};

struct CommandButton {
  std::string Caption;
  int32_t ForeColor = kBlack;
  bool Enabled = true;
};

struct SpinButton {
  bool Visible = true;
  bool Enabled = true;
};

struct Image {
  bool Visible = true;
};

// A timer restarts its countdown whenever its interval is set or it is enabled; the
// platform sees that through Epoch.
struct Timer {
  int Interval = 0;
  bool Enabled = false;
  uint32_t Epoch = 0;
};

class Window {
 public:
  Window();

  MenuItem& Menu(MenuId id, int index = 0);
  const MenuItem& Menu(MenuId id, int index = 0) const;
  bool Checked(MenuId id, int index = 0) const { return Menu(id, index).Checked; }
  void Check(MenuId id, bool on, int index = 0) { Menu(id, index).Checked = on; }

  ui::Label& Lbl(LabelId id) { return labels_[static_cast<int>(id)]; }
  const ui::Label& Lbl(LabelId id) const { return labels_[static_cast<int>(id)]; }
  void SetCaption(LabelId id, std::string text) { Lbl(id).Caption = std::move(text); }

  CommandButton& Button(ButtonId id) { return buttons_[static_cast<int>(id)]; }
  const CommandButton& Button(ButtonId id) const { return buttons_[static_cast<int>(id)]; }
  SpinButton& Spin(SpinId id) { return spins_[static_cast<int>(id)]; }
  const SpinButton& Spin(SpinId id) const { return spins_[static_cast<int>(id)]; }
  ui::Image& Img(ImageId id) { return images_[static_cast<int>(id)]; }
  const ui::Image& Img(ImageId id) const { return images_[static_cast<int>(id)]; }

  const ui::Timer& GetTimer(TimerId id) const { return timers_[static_cast<int>(id)]; }
  void SetTimerInterval(TimerId id, int ms);
  void SetTimerEnabled(TimerId id, bool on);

  // Told of every write to a timer at the moment it happens, so that the toolkit restarts
  // the countdown then, not when the handler that wrote it returns.
  std::function<void(TimerId)> TimerWritten;

  std::string Caption = "KRX-8 CLASSICAL SHOCK CONTROLLER";
  bool Shown = false;  // the main window is on the screen
  // Plot background as a palette index (0 black, 15 white) and the plot's fore colour.
  int PlotBackColor = 0;

  // Checks `chosen` and unchecks the other items of the list: the radio groups.
  template <typename... Ids>
  void CheckOnly(MenuId chosen, Ids... group) {
    ((Menu(group).Checked = (group == chosen)), ...);
  }

 private:
  std::array<MenuItem, kMenuCount> items_;
  std::array<std::array<MenuItem, 16>, 4> arrays_;
  std::array<ui::Label, kLabelCount> labels_;
  std::array<CommandButton, 3> buttons_;
  std::array<SpinButton, 3> spins_;
  std::array<ui::Image, 2> images_;
  std::array<ui::Timer, 3> timers_;
};

// Index of an array item group among the four arrays of sixteen; -1 for other items.
int ArraySlot(MenuId id);

}  // namespace ui
