// One pulse row (sixteen channels of raw counts, its own transaction, synced to the disk)
// in the working folder's file system: the commit itself, and what the pulse's thread
// spends handing it to the writer.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "history/store.h"
#include "history/writer.h"

namespace {

double Percentile(std::vector<double> v, double q) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[static_cast<size_t>(q * (v.size() - 1))];
}

void BM_HistoryPulseWrite(benchmark::State& state) {
  const auto dir = std::filesystem::current_path() / "krx8-history-bench";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  {
    history::Store db((dir / "h.sqlite").string());
    const int64_t run = db.BeginRun({});
    history::PulseRecord r;
    r.Time = "2026-01-01T00:00:00.000Z";
    r.Kind = "full level";
    r.Channels = 16;
    for (int i = 0; i < 16 * history::kRecordScans; ++i)
      r.Counts.push_back(static_cast<int16_t>(i * 31));
    for (auto _ : state) {
      const auto t0 = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(db.AddPulse(run, r));
      state.SetIterationTime(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
  }
  std::filesystem::remove_all(dir);
}
// One write per repetition, so that the statistics are over single writes.
BENCHMARK(BM_HistoryPulseWrite)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(300)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p90", [](const std::vector<double>& v) { return Percentile(v, 0.9); })
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return Percentile(v, 1.0); })
    ->Unit(benchmark::kMillisecond);

history::PulseRecord Record() {
  history::PulseRecord r;
  r.Time = "2026-01-01T00:00:00.000Z";
  r.Kind = "full level";
  r.Channels = 16;
  for (int i = 0; i < 16 * history::kRecordScans; ++i)
    r.Counts.push_back(static_cast<int16_t>(i * 31));
  return r;
}

// Pulses come at most every 100 ms; the writer has committed the one before long since.
void BM_HistoryPulseHandOver(benchmark::State& state) {
  const auto dir = std::filesystem::current_path() / "krx8-history-bench-2";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  {
    history::Writer w(std::make_unique<history::Store>((dir / "h.sqlite").string()));
    w.Next()->What = history::Job::BeginRun;
    const auto r = Record();
    for (auto _ : state) {
      w.Flush();
      const auto t0 = std::chrono::steady_clock::now();
      {
        auto job = w.Next();
        job->What = history::Job::Pulse;
        job->Record = r;
      }
      state.SetIterationTime(
          std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_HistoryPulseHandOver)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(300)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("p90", [](const std::vector<double>& v) { return Percentile(v, 0.9); })
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return Percentile(v, 1.0); })
    ->Unit(benchmark::kMillisecond);

}  // namespace
