#include "display/status_panel.h"

#include "common/number_text.h"
#include "display/axes.h"
#include "display/inputs.h"

namespace display {

using common::FormatMask;
using common::NumberText;
using ui::LabelId;
namespace row = profile::row;

std::string DealerBanner(int dealerIndex) {
  static constexpr const char* kBanners[6] = {
      "KRX-8 CLASSICAL SHOCK CONTROLLER - Vibration Test Equipment",
      "KRX-8 CLASSICAL SHOCK CONTROLLER - Dynamic Test Products",
      "KRX-8 CLASSICAL SHOCK CONTROLLER - Shock Test Systems",
      "KRX-8 CLASSICAL SHOCK CONTROLLER - Environmental Test Services",
      "KRX-8 CLASSICAL SHOCK CONTROLLER - Test Laboratory Supply",
      "KRX-8 CLASSICAL SHOCK CONTROLLER - Shaker Control Products"};
  if (dealerIndex < 1 || dealerIndex > 12) return "";
  return kBanners[(dealerIndex - 1) / 2];
}

namespace {

void PeakLabels(Program& p, float units) {
  auto& w = p.win;
  const auto& s = p.plot;
  const float ctrl = p.control.ControlPeakG;
  const double drive = p.run.DrivePeakCounts * 0.025;
  auto set = [&](LabelId id, const char* pre, double v, const char* mask, const char* post) {
    w.SetCaption(id, pre + FormatMask(v, mask) + post);
  };
  if (units == 0) {
    set(LabelId::lblDref, " Dref = ", 2.0 * s.RefPeakD, "####.#", " MILS ");
    set(LabelId::lblVref, " Vref = ", s.RefPeakV, "###.##", " IPS-PK");
    set(LabelId::lblAref, " Gref = ", s.RefPeakA, "###.##", " G-PK  ");
    w.SetCaption(LabelId::lblProfile, p.profile.ProfileFileName);
    set(LabelId::lblDisp, " DISP. = ", 2.0 * s.ResponsePeakD, "###.0", " MILS ");
    set(LabelId::lblVel, " VEL. = ", s.ResponsePeakV, "###.00", " IPS-PK");
    set(LabelId::lblAccBottom, " ACC. = ", s.ResponsePeakA, "###.00", " G-PK  ");
    set(LabelId::lblComp, " DRIVE LEVEL= ", drive, "###.0", " %");
    w.SetCaption(LabelId::LblAcc, FormatMask(s.ResponsePeakA, ctrl >= 100 ? "  ###" : "  ##.0"));
  } else if (units == 1 || units == 2) {
    const bool metric = units == 1;
    if (metric)
      set(LabelId::lblDref, " Dref = ", s.RefPeakD * 0.0508, "###.##", " MM    ");
    else
      set(LabelId::lblDref, " Dref = ", s.RefPeakD * 0.0508, "####.#", " MM    ");
    set(LabelId::lblVref, " Vref = ", s.RefPeakV * 2.54, "###.##", " CM/S");
    if (metric)
      set(LabelId::lblAref, " Gref = ", s.ResponsePeakA * 9.807, "####.#", " M/S^2 ");
    else
      set(LabelId::lblAref, " Gref = ", s.ResponsePeakA, "###.##", " G-PK ");
    w.SetCaption(LabelId::lblProfile, p.profile.ProfileFileName);
    set(LabelId::lblDisp, " DISP. = ", s.ResponsePeakD * 0.0508, "###.##", " MM   ");
    set(LabelId::lblVel, " VEL. = ", s.ResponsePeakV * 2.54, "###.00", " CM/S");
    if (metric)
      set(LabelId::lblAccBottom, " ACC. = ", ctrl * 9.807, "####.##", " M/S^2 ");
    else
      set(LabelId::lblAccBottom, " ACC. = ", ctrl, "###.00", " G-PK ");
    set(LabelId::lblComp, " DRIVE = ", drive, "###.0", " %");
    if (metric)
      w.SetCaption(LabelId::LblAcc, FormatMask(s.ResponsePeakA * 9.807, "  ###"));
    else
      w.SetCaption(LabelId::LblAcc, FormatMask(s.ResponsePeakA, ctrl >= 100 ? "  ###" : "  ##.0"));
  }
}

}  // namespace

void UpdateStatusPanel(Program& p) {
  auto& w = p.win;
  auto V = [&](int r) { return p.Row(r); };
  w.SetCaption(LabelId::lblAbort, " ABORT = " + FormatMask(V(row::AbortLevelDb), "##.#") + " DB.");
  w.SetCaption(LabelId::lblPreTest,
               " PRETEST = " + FormatMask(V(row::PretestLevelDb), "-##.#") + " DB.");
  w.SetCaption(LabelId::lblTestLevel,
               " LEVEL = " + FormatMask(V(row::PulseAmplitude), "##.#") + " G-PK");
  w.SetCaption(LabelId::lblDuration,
               " WIDTH = " + FormatMask(V(row::PulseDuration), "##.#") + " Msec.");
  const int32_t count = p.run.PulseCount;
  w.SetCaption(LabelId::lblShockNo, " SHOCK # = " + NumberText(static_cast<float>(count)));
  w.SetCaption(LabelId::lblElapsedTime,
               V(row::Polarity) == 1 ? " POSITIVE POLARITY" : " NEGATIVE POLARITY");
  w.SetCaption(LabelId::lblTime, " " + p.platform.ShortTime());
  w.SetCaption(LabelId::lblDate, " " + p.platform.ShortDate());

  PeakLabels(p, V(row::UnitSystem));

  std::string freq = FormatMask(count, "   #0");
  if (count > 99) freq = FormatMask(count, " #");
  if (count > 999) freq = NumberText(static_cast<float>(count));
  w.SetCaption(LabelId::LblFreq, freq);

  std::string mode = V(row::RepetitionMode) == 1 ? " SINGLE PULSE" : "  REPETITIVE ";
  if (p.daq.DemoMode == 1) mode = "  DEMO MODE";
  if (V(row::ControlMode) == 1) mode = "MANUAL MODE";
  if (V(row::ControlMode) == 2) mode = " TRANSIENT ";
  if (RemoteLevelOverride(p) == 1) mode = "RemoteControl";
  const bool aborted = p.control.TripCode > 0 || p.run.Stop.Kind == run::Stop::AcceptanceFail;
  w.SetCaption(LabelId::lblMode, aborted ? "ABORTED" : " MODE ");
  if (p.control.TripCode != 0) mode = p.control.TripMessage + "  ";
  w.SetCaption(LabelId::lblControlMode, mode);

  if (SecondsSinceCursor(p) > 3) w.Lbl(LabelId::lblCursor).Visible = false;
  if (V(row::ControlMode) == 2) w.SetCaption(LabelId::lblStatus, "PRESS START TO ARM TRIGGER");

  std::string banner = DealerBanner(p.profile.DealerIndex);
  if (!banner.empty()) w.Caption = banner;
  if (p.history.Off && !w.Caption.ends_with(history::kOffCaption))
    w.Caption += history::kOffCaption;
}

}  // namespace display
