#pragma once
// The shock profile record: 201 rows of a value, five carried floats and a label, the
// five texts, and the unsaved companions.
#include <array>
#include <cstdint>
#include <string>

namespace profile {

inline constexpr int kRows = 201;  // rows 0..200; 1..200 are the file record

// Named rows of ShockProfile.Value.
namespace row {
inline constexpr int ControlMode = 0;
inline constexpr int PulseShape = 1;
inline constexpr int PulseAmplitude = 2;
inline constexpr int PulseDuration = 3;
inline constexpr int Polarity = 4;
inline constexpr int RepetitionMode = 5;
inline constexpr int RepetitionRate = 6;
inline constexpr int TotalPulses = 7;
inline constexpr int AbortLevelDb = 8;
inline constexpr int SampleRateCode = 13;
inline constexpr int SettlingMode = 14;
inline constexpr int MasterAddress = 15;
inline constexpr int PretestLevelDb = 16;
inline constexpr int EqualizeLevel = 17;
inline constexpr int ActiveInputs = 18;
inline constexpr int LimitD = 19;
inline constexpr int LimitV = 20;
inline constexpr int LimitA = 21;
inline constexpr int UnitSystem = 22;
inline constexpr int RemoteInputs = 23;
inline constexpr int ShowDisplacement = 24;
inline constexpr int ShowVelocity = 25;
inline constexpr int ShowAcceleration = 26;
inline constexpr int MaxDriveVolts = 27;
inline constexpr int BannerIndex = 28;
inline constexpr int ManualStep = 29;
inline constexpr int SoftwareRemote = 30;
inline constexpr int DriveGain = 31;
inline constexpr int CompMode = 32;
inline constexpr int AutoPrint = 33;
inline constexpr int AutoSave = 34;
inline constexpr int PreCompPercent = 35;
inline constexpr int PostCompPercent = 36;
inline constexpr int LowGainDb = 37;
inline constexpr int OpenLoopDb = 38;
inline constexpr int PlotXZoom = 51;
inline constexpr int PlotYZoom = 52;
inline constexpr int PlotBackground = 53;
inline constexpr int LoadCompensation = 54;
inline constexpr int TriggerLevel = 59;
inline constexpr int AutoExport = 60;
inline constexpr int DecimalMode = 62;
inline constexpr int InterfaceType = 65;
inline constexpr int SlaveAddress = 99;
inline constexpr int ViewChannels = 109;
inline constexpr int ActiveChannelsCode = 120;
// Quality factor of the oscillator spectra (2..50); 0, as in every older profile, is Q 10.
// Beyond the 64 rows a legacy profile overwrites.
inline constexpr int SrsQuality = 130;
// Pulse acceptance, beyond the legacy rows too; 0, as in every older profile, is the
// program's default of each.
inline constexpr int AcceptOn = 140;           // 1 on
inline constexpr int TolPeakPct = 141;         // +-% of the nominal peak
inline constexpr int TolWidthPct = 142;        // +-% of the nominal width
inline constexpr int TolVelocityPct = 143;     // +-% of the nominal velocity change
inline constexpr int TolBandInsidePct = 144;   // +-% of the nominal peak, main pulse
inline constexpr int TolBandOutsidePct = 145;  // +-% of the nominal peak, elsewhere
inline constexpr int TolWindowBefore = 146;    // band window before the pulse, durations
inline constexpr int TolWindowAfter = 147;     // band window after the pulse, durations
inline constexpr int TolStopOnFail = 148;      // 1: a FAIL stops the run
inline constexpr int TolEdgePct = 149;         // band left out +- this % of D at the jumps
// Waveform control; 0 is the default of each (and off).
inline constexpr int ShapingOn = 150;       // 1 on
inline constexpr int ShapingGain = 151;     // correction gain
inline constexpr int ShapingRegPct = 152;   // regularisation, % of the largest response
inline constexpr int ShapingBandPct = 153;  // band limit, % of the sampling frequency
inline constexpr int ShapingGiveUp = 154;   // give-up factor, x the synthesised drive peak
}  // namespace row

// Rows of the per-channel settings, channel 1 first.
inline constexpr std::array<int, 16> kSensitivityRow = {9,   10,  39,  40,  71,  72,  73,  74,
                                                        101, 102, 103, 104, 105, 106, 107, 108};
inline constexpr std::array<int, 16> kCurrentSourceRow = {11,  12,  41,  42,  75,  76,  77,  78,
                                                          111, 112, 113, 114, 115, 116, 117, 118};

struct ShockProfile {
  std::array<float, kRows> Value{};
  std::array<std::array<float, 5>, kRows> Aux{};  // Aux1..Aux5, carried only
  std::array<std::string, kRows> Label{};         // carried only
  std::string TestTitle;
  std::string AccelModel;
  std::string AccelSerial;
  std::string SubTitle1;
  std::string SubTitle2;
};

inline constexpr int kCustomSamples = 1025;

struct State {
  ShockProfile Record;
  std::string ProfileFileName;
  std::string DecimalSeparator = ".";
  std::string CustomShapeFileName;
  std::array<float, kCustomSamples> CustomShape{};
  int16_t DealerIndex = 5;
};

}  // namespace profile
