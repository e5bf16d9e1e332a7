#pragma once
// Writes the history from a thread of its own, so that a slow disk never holds the pacing:
// the program hands each row over and goes on; the rows are committed in order, each in its
// own transaction, within milliseconds. The queue is bounded: a disk that falls behind by
// more than a few rows makes the program wait rather than grow the queue.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "history/store.h"

namespace history {

struct Job {
  // None: a slot left unfilled, which commits nothing.
  enum Kind { None, BeginRun, EndRun, Pulse, Outcome, Event } What = None;
  RunStart Run;
  PulseRecord Record;
  PulseOutcome Result;
  std::optional<double> ErrorPct;  // with the outcome: the pulse's waveform error
  std::string Time, Text1, Text2, Text3;
};

class Writer {
 public:
  static constexpr size_t kSlots = 4;
  // Commits one job on the writer's thread; what it throws is the writer's failure.
  using Commit = std::function<void(const Job&)>;

  // Into the store: each run, pulse, outcome and event in its own transaction.
  explicit Writer(std::unique_ptr<Store> store);
  explicit Writer(Commit commit);
  ~Writer();  // commits what is queued, then ends the thread
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // A slot taken from the queue, filled through it and posted when it goes out of scope,
  // an early return included. Left by an exception it is released unposted: a half-filled
  // row is never written. One at a time, from the thread that hands the rows over.
  class Slot {
   public:
    Slot(Slot&& other) noexcept;
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;
    Slot& operator=(Slot&&) = delete;
    ~Slot();
    Job* operator->() const { return job_; }
    Job& operator*() const { return *job_; }

   private:
    friend class Writer;
    Slot(Writer& w, Job& job);
    Writer* w_;
    Job* job_;
    int unwinding_;  // exceptions in flight when it was taken
  };

  // The next free slot, its job emptied (What = None); waits while every slot is queued.
  Slot Next();
  // Waits until everything posted is committed (or failed).
  void Flush();
  // The first failure; every job after it is dropped.
  std::optional<std::string> Failure();

 private:
  void Give(bool post);
  void Work();
  Commit commit_;
  std::vector<Job> slots_{kSlots};
  size_t head_ = 0, count_ = 0;  // queued jobs: slots head_ .. head_ + count_ - 1
  bool taken_ = false;           // the slot after them is being filled
  bool busy_ = false, stop_ = false;
  std::optional<std::string> failure_;
  std::mutex m_;
  std::condition_variable changed_;
  std::thread thread_;
};

}  // namespace history
