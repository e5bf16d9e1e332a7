#pragma once
// Writes the history from a thread of its own, so that a slow disk never holds the pacing:
// the program hands each row over and goes on; the rows are committed in order, each in its
// own transaction, within milliseconds. The queue is bounded: a disk that falls behind by
// more than a few rows makes the program wait rather than grow the queue.
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "history/store.h"

namespace history {

struct Job {
  enum Kind { BeginRun, EndRun, Pulse, Outcome, Event } What = Pulse;
  RunStart Run;
  PulseRecord Record;
  PulseOutcome Result;
  std::optional<double> ErrorPct;  // with the outcome: the pulse's waveform error
  std::string Time, Text1, Text2, Text3;
};

class Writer {
 public:
  static constexpr size_t kSlots = 4;

  explicit Writer(std::unique_ptr<Store> store);
  ~Writer();  // commits what is queued, then ends the thread
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // The next free slot, to be filled and then posted; waits while every slot is queued.
  Job& Next();
  void Post();
  // Waits until everything posted is committed (or failed).
  void Flush();
  // The first failure; every job after it is dropped.
  std::optional<std::string> Failure();

 private:
  void Work();
  std::unique_ptr<Store> store_;
  std::vector<Job> slots_{kSlots};
  size_t head_ = 0, count_ = 0;  // queued jobs: slots head_ .. head_ + count_ - 1
  bool busy_ = false, stop_ = false;
  std::optional<std::string> failure_;
  // The writer's own run and pulse rows, which later jobs refer to.
  int64_t run_ = 0, pulse_ = 0;
  std::mutex m_;
  std::condition_variable changed_;
  std::thread thread_;
};

}  // namespace history
