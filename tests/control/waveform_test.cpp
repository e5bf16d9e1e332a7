// The waveform control in the firing flow, on the simulated board's physical shakers in
// virtual time: the equalisation identifies, the full-level pulses fire the shaped drive,
// the give-up rule ends a run that cannot pass, and switched off nothing changes.
#include <gtest/gtest.h>

#ifdef KRX8_DAQSIM_PATH

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "control/waveform.h"
#include "display/system_response.h"
#include "profile/recompute.h"
#include "shaping/settings.h"
#include "support/daqsim_fixture.h"

using testing_support::SimTest;
using ui::ButtonId;
using ui::MenuId;
namespace row = profile::row;

namespace {

struct Shape {
  float Code, PeakG, Ms, RateCode;
};
constexpr Shape kHalfSine{1, 15, 10, 3};  // the default profile's
constexpr Shape kLongHalfSine{1, 25, 11, 0};
constexpr Shape kTrapezoid{5, 10, 8, 0};
constexpr Shape kSawtooth{2, 20, 6, 4};  // terminal peak at 10.24 kHz

class WaveformFlow : public SimTest {
 protected:
  // A fresh board with the plant and 0.5 % noise, the profile's shape, acceptance judged
  // without stopping, one full-level pulse per Start.
  // clipV: the amplifier's soft clipping (DAC volts), "0" for none.
  void Begin(const char* plant, const Shape& s, bool shaped, double gain = 1.0,
             const char* clipV = "0") {
    const float peak = s.PeakG > 0 ? s.PeakG : 15;
    noise_ = std::to_string(0.005 * peak);
    if (started_) {
      Change({{"DAQSIM_PLANT", plant},
              {"DAQSIM_NOISE", noise_.c_str()},
              {"DAQSIM_AMP_CLIP_V", clipV}});
    } else {
      Sim({{"DAQSIM_PLANT", plant},
           {"DAQSIM_NOISE", noise_.c_str()},
           {"DAQSIM_AMP_CLIP_V", clipV}});
      StartWith(1);
      started_ = true;
    }
    p.run.Stop = {};
    h.plat.Boxes.clear();
    if (s.PeakG > 0) {
      p.Row(row::PulseShape) = s.Code;
      p.Row(row::PulseAmplitude) = s.PeakG;
      p.Row(row::PulseDuration) = s.Ms;
    }
    if (s.RateCode > 0) p.Row(row::SampleRateCode) = s.RateCode;
    p.Row(row::AcceptOn) = 1;
    p.Row(row::TolStopOnFail) = 0;
    p.Row(row::RepetitionMode) = 1;
    shaping::Settings set;
    set.On = shaped;
    set.Gain = gain;
    shaping::StoreSettings(set, p.profile.Record);
    profile::RecomputeProfile(p);
    h.Press(ButtonId::cmdEqual);
    h.Advance(30000);
    ASSERT_EQ(p.control.SystemEqualized, 1.0f);
  }
  // Full-level pulses, each judged; stops early when the run was stopped.
  std::vector<analysis::AcceptanceResult> Fire(int n, const char* what) {
    std::vector<analysis::AcceptanceResult> out;
    for (int i = 0; i < n && p.run.Stop.Kind != run::Stop::WaveformGiveUp; ++i) {
      h.Press(ButtonId::cmdStart);
      h.Advance(3000);
      if (!p.accept.Judged || p.run.Stop.CutShort()) {
        std::printf("[figures] %s ended: %s\n", what, run::StopText(p.run.Stop).c_str());
        break;
      }
      const auto& a = p.accept.Channel1;
      out.push_back(a);
      std::printf(
          "[figures] %s pulse %d: band %+.1f %%, velocity change %+.1f %%, width %+.1f %%, "
          "drive %d counts, peak %.1f G%s\n",
          what, i + 1, a.WorstBandPct, a.VelocityChangePct, a.WidthPct, p.run.DrivePeakCounts,
          a.PeakG, control::WaveformStatusText(p).empty() ? "" : " (shaped)");
    }
    return out;
  }
  std::string noise_;
  bool started_ = false;
};

bool Passes(const analysis::AcceptanceResult& a) {
  return a.verdict == analysis::Verdict::Pass;
}

TEST_F(WaveformFlow, ShapedPulsesPassFromTheFirstFullLevelPulseOnTheShaker) {
  for (const Shape& s : {kHalfSine, kLongHalfSine, kTrapezoid}) {
    SCOPED_TRACE(s.Code);
    for (bool shaped : {false, true}) {
      Begin("shaker", s, shaped);
      const auto pulses = Fire(3, shaped ? "shaker shaped" : "shaker unshaped");
      for (const auto& a : pulses) {
        if (shaped) {
          EXPECT_TRUE(Passes(a)) << a.WorstBandPct;
        } else if (s.Code == kTrapezoid.Code) {
          EXPECT_FALSE(Passes(a)) << a.WorstBandPct;
        }
      }
      ASSERT_EQ(pulses.size(), 3u);
      EXPECT_LE(Q("TableTravel", 0), 25.0);
      EXPECT_EQ(p.win.Lbl(ui::LabelId::lblWaveform).Visible, shaped);
      if (shaped) {
        const std::string line = p.win.Lbl(ui::LabelId::lblWaveform).Caption;
        EXPECT_EQ(line.rfind("WAVEFORM CONTROL  error ", 0), 0u) << line;
        EXPECT_NE(line.find(" %  pulse 3"), std::string::npos) << line;
      }
      ExpectDriveWithinLimits();
    }
  }
}

TEST_F(WaveformFlow, OnTheFixtureShapedPulsesPassAndTheSawtoothGivesUp) {
  Begin("fixture", kTrapezoid, false);
  for (const auto& a : Fire(2, "fixture trapezoid unshaped")) EXPECT_FALSE(Passes(a));
  for (const Shape& s : {kTrapezoid, kHalfSine, kLongHalfSine}) {
    Begin("fixture", s, true);
    const auto pulses = Fire(3, "fixture shaped");
    EXPECT_EQ(pulses.size(), 3u);
    for (const auto& a : pulses) EXPECT_TRUE(Passes(a)) << s.Code << " " << a.WorstBandPct;
  }

  Begin("fixture", kSawtooth, true);
  const auto pulses = Fire(20, "fixture sawtooth shaped");
  EXPECT_EQ(p.run.Stop.Kind, run::Stop::WaveformGiveUp);
  EXPECT_EQ(run::StopText(p.run.Stop).rfind("waveform control gave up: the next drive", 0), 0u)
      << run::StopText(p.run.Stop);
  EXPECT_LT(pulses.size(), 20u);
  ASSERT_EQ(Boxes(control::kGiveUpTitle), 1);
  EXPECT_NE(FirstBox(control::kGiveUpTitle).find("Cannot Follow The Reference"), std::string::npos);
  EXPECT_NE(FirstBox(control::kGiveUpTitle).find("waveform control off"), std::string::npos);
  std::printf("[figures] %s\n", FirstBox(control::kGiveUpTitle).c_str());
  EXPECT_EQ(p.daq.SerialWordLow, 0);  // the drive released
  ExpectDriveWithinLimits();
}

// The terminal-peak sawtooth's fall is followed on the rigid shaker after a few corrections;
// on the shaker's estimate View > System Response draws G per volt, the pulse's lines weighted
// as measured.
TEST_F(WaveformFlow, TheSawtoothPassesOnTheShakerWithinFivePulses) {
  Begin("shaker", kSawtooth, true);
  const auto pulses = Fire(5, "shaker sawtooth shaped");
  ASSERT_EQ(pulses.size(), 5u);
  EXPECT_TRUE(Passes(pulses.back())) << pulses.back().WorstBandPct;
  EXPECT_FALSE(p.run.Stop.CutShort()) << run::StopText(p.run.Stop);
  ExpectDriveWithinLimits();

  h.Click(MenuId::mnuViewSysResponse);
  EXPECT_EQ(p.win.Lbl(ui::LabelId::lblDisplay).Caption, "SYSTEM RESPONSE");
  display::SystemResponseCurve c;
  display::SystemResponseOf(p, c);
  ASSERT_GT(c.Count, 0);
  EXPECT_EQ(c.Pulses, p.shaping.Learnt.Est.Pulses);
  // Within the pulse's band the estimate is measured well and near the equalised gain.
  const double gain = 55 / p.Row(row::DriveGain);
  for (int i = 0; i < c.Count && c.Hz[i] < 500; ++i) {
    if (c.Hz[i] < 50) continue;
    EXPECT_GT(c.Weight[i], 0.9) << c.Hz[i];
    EXPECT_GT(c.GPerVolt[i], gain / 4) << c.Hz[i];
    EXPECT_LT(c.GPerVolt[i], gain * 4) << c.Hz[i];
  }
  // The printed page names the view and what it was measured from.
  h.plat.Paper.Items.clear();
  h.Click(MenuId::mnuFilePrint);
  int named = 0;
  for (const auto& i : h.plat.Paper.Items)
    named += i.Str == display::kSystemResponseTitle || i.Str == display::SystemResponseNote(c);
  EXPECT_EQ(named, 2);
}

// A correction gain of 1.5 on an amplifier that clips softly: the guard keeps the error from
// growing over 20 pulses and the drive within its limits.
TEST_F(WaveformFlow, TheGuardHoldsAnExcessiveGainOnAClippingAmplifier) {
  Begin("shaker", kTrapezoid, true, 1.5, "1.2");
  const auto pulses = Fire(20, "clipping shaker trapezoid gain 1.5");
  ASSERT_EQ(pulses.size(), 20u);
  double first = 0, worst = 0;
  for (size_t i = 0; i < pulses.size(); ++i) {
    const double band = std::fabs(pulses[i].WorstBandPct);
    if (i < 3) first = std::max(first, band);
    if (i >= 10) worst = std::max(worst, band);
  }
  EXPECT_LE(worst, std::max(first, 10.0));
  EXPECT_FALSE(p.run.Stop.CutShort()) << run::StopText(p.run.Stop);
  ExpectDriveWithinLimits();

  // A manual pulse after them plays the synthesised drive, not the last shaped one.
  const auto synthesised = p.shaping.SynthCodes;
  h.Click(MenuId::mnuTestControlManual);
  h.Press(ButtonId::cmdStart);
  h.Advance(3000);
  EXPECT_EQ(p.wave.DriveCodes, synthesised);
  EXPECT_FALSE(p.shaping.CodesShaped);
}

// Off (the default), every pulse plays the codes and drive level it played before.
TEST_F(WaveformFlow, OffTheDriveIsTheSynthesisedOneDriveForDrive) {
  std::vector<std::vector<int16_t>> codes[2];
  std::vector<int32_t> counts[2];
  Sim({{"DAQSIM_NOISE", "0"}});
  StartWith(1);
  for (int pass = 0; pass < 2; ++pass) {
    // The second pass sets a correction gain but leaves the control off.
    shaping::Settings set;
    set.Gain = pass == 0 ? 1.0 : 1.4;
    shaping::StoreSettings(set, p.profile.Record);
    p.Row(row::RepetitionMode) = 1;
    profile::RecomputeProfile(p);
    h.Press(ButtonId::cmdEqual);
    h.Advance(30000);
    for (int i = 0; i < 3; ++i) {
      h.Press(ButtonId::cmdStart);
      h.Advance(3000);
      codes[pass].emplace_back(p.wave.DriveCodes.begin(), p.wave.DriveCodes.end());
      counts[pass].push_back(p.run.DrivePeakCounts);
    }
  }
  EXPECT_EQ(codes[0], codes[1]);
  EXPECT_EQ(counts[0], counts[1]);
  EXPECT_FALSE(p.win.Lbl(ui::LabelId::lblWaveform).Visible);
}

}  // namespace

#endif
