// One pulse of the waveform control: the estimate's update and the correction that makes the
// next drive (with the inverse), then its codes. The target is under 1 ms.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "shaping/control.h"
#include "shaping/drive_codes.h"

namespace {

void BM_LearnOnePulse(benchmark::State& state) {
  using namespace shaping;
  std::vector<float> q(kRecord), y(kRecord), ref(kRecord);
  const double t = 51.2;
  for (int i = 0; i < kRecord; ++i) {
    const double u = (i - 4 * t) / t;
    ref[i] = u >= 0 && u < 1 ? static_cast<float>(20 * std::sin(3.14159 * u)) : 0.0f;
    q[i] = -0.02f * ref[i];
    y[i] = 0.9f * ref[i] + 0.01f * static_cast<float>(std::sin(0.7 * i));
  }
  State s;
  Workspace w;
  const Settings set;
  const Next next{20, 0.5, 10};
  std::array<int16_t, 1025> codes{};
  for (auto _ : state) {
    Reset(s);  // every pulse the first correction, which also sets the target
    const Outcome out = Learn(s, w, set, Pulse{q, y, ref, 20, t, 0, true, true}, next);
    const Realised r = Realise(s.Drive, 4000, codes);
    benchmark::DoNotOptimize(out);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_LearnOnePulse)->Unit(benchmark::kMicrosecond);

}  // namespace
