#pragma once
// What the program keeps of the waveform control between pulses: the learnt state, the FFT
// made once, the synthesised codes the shaped ones replace, and what the operator is shown.
#include <array>
#include <cstdint>

#include "program/wave.h"
#include "shaping/control.h"

namespace shaping {

struct Flow {
  State Learnt;
  Workspace Work;
  bool Ready = false;     // Learnt.Drive is a drive for the next pulse
  double DriveLevel = 0;  // L (G) that Learnt.Drive was made for
  // DriveCodes hold shaped codes; SynthCodes the synthesised ones they replaced.
  bool CodesShaped = false;
  std::array<int16_t, profile::kWaveSamples> SynthCodes{};
  // The last pulse learnt from: whether its drive was shaped, its error, the shaped count.
  bool LastShaped = false;
  double LastErrorPct = 0;
  int ShapedPulses = 0;
  // Scratch of one pulse.
  std::array<float, kRecord> Played{}, Next{};
};

// Forgets what was learnt (wherever the equalisation is forgotten) and puts the synthesised
// codes back, so that the next pulse plays the synthesised drive.
inline void Clear(Flow& f, profile::Wave& w, bool& buffersLoaded) {
  Reset(f.Learnt);
  if (f.CodesShaped) {
    w.DriveCodes = f.SynthCodes;
    buffersLoaded = false;
  }
  f.Ready = false, f.CodesShaped = false, f.LastShaped = false;
  f.DriveLevel = 0, f.LastErrorPct = 0, f.ShapedPulses = 0;
}

}  // namespace shaping
