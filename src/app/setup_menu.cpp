// The Test Setup menu: run parameters, titles, automatic actions, control mode, shaker
// load compensation and demo mode.
#include <string>

#include "analysis/accept_settings.h"
#include "app/menus.h"
#include "common/number_text.h"
#include "common/prompt.h"
#include "control/waveform_form.h"
#include "daq/discovery.h"
#include "display/plot.h"
#include "display/status_panel.h"
#include "profile/bounds.h"
#include "profile/recompute.h"

namespace app {

using ui::MenuId;
namespace row = profile::row;

namespace {

constexpr const char* kParametersTitle = "Test Setup Parameters";
constexpr const char* kBoundsTitle = " Out Of Bounds";
constexpr const char* kTitleTitle = "Test Title";
constexpr std::size_t kSubTitleChars = 65;

struct NumericItem {
  MenuId Id;
  const profile::SettingBounds* Bounds;
};

constexpr NumericItem kNumericItems[] = {
    {MenuId::mnuTestAbortl, &profile::BoundsOf(row::AbortLevelDb)},
    {MenuId::mnuTestPretest, &profile::BoundsOf(row::PretestLevelDb)},
    {MenuId::mnuTestEqual, &profile::BoundsOf(row::EqualizeLevel)},
    {MenuId::mnuTestNumber, &profile::BoundsOf(row::TotalPulses)},
    {MenuId::mnuTestRepRate, &profile::BoundsOf(row::RepetitionRate)},
    {MenuId::mnuTestDrive, &profile::BoundsOf(row::MaxDriveVolts)},
};

void AskParameter(Program& p, const profile::SettingBounds& b) {
  float& value = p.Row(b.Row);
  common::AskNumberInBounds(p.platform, b.Prompt, kParametersTitle,
                            common::PromptDefaultText(value),
                            {b.Low, b.High, b.Refusal, kBoundsTitle}, value);
}

// The first `n` characters of UTF-8 text, never cutting a character in two.
std::string FirstChars(const std::string& text, std::size_t n) {
  std::size_t chars = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (chars == n) return text.substr(0, i);
    ++chars;
  }
  return text;
}

void AskTitle(Program& p) {
  auto& caption = p.win.Lbl(ui::LabelId::lblTestTitle).Caption;
  std::string answer = p.platform.InputBox("Enter a new Test title", kTitleTitle, caption);
  if (!answer.empty()) caption = answer;
}

void AskSubTitle(Program& p, std::string& subTitle, const char* prompt) {
  std::string answer =
      FirstChars(p.platform.InputBox(prompt, kTitleTitle, subTitle), kSubTitleChars);
  if (!answer.empty()) subTitle = answer;
  display::RefreshPlot(p);
}

void ToggleAction(Program& p, MenuId id, int element) {
  bool on = !p.win.Checked(id);
  p.win.Check(id, on);
  p.Row(element) = on ? 1.0f : 0.0f;
}

void ChooseControlMode(Program& p, MenuId id, float mode) {
  p.win.CheckOnly(id, MenuId::mnuTestControlAuto, MenuId::mnuTestControlManual,
                  MenuId::mnuTestControlTransient);
  p.win.Spin(ui::SpinId::SpnLevel).Visible = mode != 0;
  p.Row(row::ControlMode) = mode;
  display::UpdateStatusPanel(p);
}

void ChooseLoadCompensation(Program& p, MenuId id, float value) {
  p.win.CheckOnly(id, MenuId::mnuTestComp1, MenuId::mnuTestComp2, MenuId::mnuTestComp3,
                  MenuId::mnuTestComp4, MenuId::mnuTestComp5);
  p.Row(row::LoadCompensation) = value;
  profile::RecomputeProfile(p);
}

// Leaving demo mode with no board open would leave every pulse failing on a board that
// is not there. The boards are tried again instead: a missing board then gets its one
// install message and the program returns to demo mode, where the mark follows.
void ToggleDemo(Program& p) {
  bool on = !p.win.Checked(MenuId::mnuTestDemo);
  p.win.Check(MenuId::mnuTestDemo, on);
  p.daq.DemoMode = on ? 1.0f : 0.0f;
  if (!on && p.daq.MasterHandle == -1 && p.Row(row::InterfaceType) == 1 && daq::HardwareStartup(p))
    display::UpdateStatusPanel(p);
  profile::RecomputeProfile(p);
}

}  // namespace

bool OnTestMenu(Program& p, ui::MenuId id, int) {
  for (const auto& item : kNumericItems) {
    if (item.Id == id) {
      AskParameter(p, *item.Bounds);
      return true;
    }
  }
  switch (id) {
    case MenuId::mnuTestTitle:
      AskTitle(p);
      return true;
    case MenuId::mnuTestSubTitle1:
      AskSubTitle(p, p.profile.Record.SubTitle1,
                  "Enter a new Test SubTitle1, below the test title");
      return true;
    case MenuId::mnuTestSubTitle2:
      AskSubTitle(p, p.profile.Record.SubTitle2, "Enter a new Test SubTitle2, below SubTitle1");
      return true;
    case MenuId::mnuTestAutoPrint:
      ToggleAction(p, id, row::AutoPrint);
      return true;
    case MenuId::mnuTestAutoSave:
      ToggleAction(p, id, row::AutoSave);
      return true;
    case MenuId::mnuTestAutoExport:
      ToggleAction(p, id, row::AutoExport);
      return true;
    case MenuId::mnuTestControlAuto:
      ChooseControlMode(p, id, 0);
      return true;
    case MenuId::mnuTestControlManual:
      ChooseControlMode(p, id, 1);
      return true;
    case MenuId::mnuTestControlTransient:
      ChooseControlMode(p, id, 2);
      return true;
    case MenuId::mnuTestComp1:
      ChooseLoadCompensation(p, id, 0);
      return true;
    case MenuId::mnuTestComp2:
      ChooseLoadCompensation(p, id, 1);
      return true;
    case MenuId::mnuTestComp3:
      ChooseLoadCompensation(p, id, 2);
      return true;
    case MenuId::mnuTestComp4:
      ChooseLoadCompensation(p, id, 3);
      return true;
    case MenuId::mnuTestComp5:
      ChooseLoadCompensation(p, id, 4);
      return true;
    case MenuId::mnuTestDemo:
      ToggleDemo(p);
      return true;
    case MenuId::mnuTestTolerance:
      // The band drawn follows the settings just stored.
      if (analysis::AskTolerances(p) && p.win.Checked(MenuId::mnuViewTolBand))
        display::RefreshPlot(p);
      return true;
    case MenuId::mnuTestWaveform:
      control::AskWaveformControl(p);
      return true;
    default:
      return false;
  }
}

}  // namespace app
