#include "history/writer.h"

#include <cassert>
#include <exception>
#include <utility>

namespace history {

namespace {

Writer::Commit IntoStore(std::unique_ptr<Store> store) {
  // The writer's own run and pulse rows, which later jobs refer to.
  struct Rows {
    std::unique_ptr<Store> Db;
    int64_t Run = 0, Pulse = 0;
  };
  auto rows = std::make_shared<Rows>(Rows{std::move(store)});
  return [rows](const Job& job) {
    Store& db = *rows->Db;
    switch (job.What) {
      case Job::None:
        break;
      case Job::BeginRun:
        rows->Run = db.BeginRun(job.Run);
        break;
      case Job::EndRun:
        if (rows->Run != 0) db.EndRun(rows->Run, job.Time, job.Text1);
        rows->Run = 0;
        break;
      case Job::Pulse:
        rows->Pulse = db.AddPulse(rows->Run, job.Record);
        break;
      case Job::Outcome:
        if (rows->Pulse != 0) db.SetOutcome(rows->Pulse, job.Result, job.ErrorPct);
        break;
      case Job::Event:
        if (rows->Run != 0) db.AddEvent(rows->Run, job.Time, job.Text1, job.Text2, job.Text3);
        break;
    }
  };
}

}  // namespace

Writer::Writer(std::unique_ptr<Store> store) : Writer(IntoStore(std::move(store))) {}

Writer::Writer(Commit commit) : commit_(std::move(commit)), thread_([this] { Work(); }) {}

Writer::~Writer() {
  {
    std::unique_lock lock(m_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

Writer::Slot::Slot(Writer& w, Job& job)
    : w_(&w), job_(&job), unwinding_(std::uncaught_exceptions()) {}

Writer::Slot::Slot(Slot&& other) noexcept
    : w_(std::exchange(other.w_, nullptr)), job_(other.job_), unwinding_(other.unwinding_) {}

Writer::Slot::~Slot() {
  if (w_) w_->Give(std::uncaught_exceptions() <= unwinding_);
}

Writer::Slot Writer::Next() {
  std::unique_lock lock(m_);
  assert(!taken_ && "a slot is already being filled");
  changed_.wait(lock, [&] { return count_ < kSlots; });
  taken_ = true;
  Job& job = slots_[(head_ + count_) % kSlots];
  job.What = Job::None;
  return Slot(*this, job);
}

void Writer::Give(bool post) {
  {
    std::unique_lock lock(m_);
    taken_ = false;
    if (post) ++count_;
  }
  if (post) changed_.notify_all();
}

void Writer::Flush() {
  std::unique_lock lock(m_);
  changed_.wait(lock, [&] { return count_ == 0 && !busy_; });
}

std::optional<std::string> Writer::Failure() {
  std::unique_lock lock(m_);
  return failure_;
}

void Writer::Work() {
  std::unique_lock lock(m_);
  for (;;) {
    changed_.wait(lock, [&] { return count_ > 0 || stop_; });
    if (count_ == 0) return;  // stopping with nothing left
    const Job& job = slots_[head_];
    busy_ = true;
    const bool failed = failure_.has_value();
    lock.unlock();
    std::optional<std::string> why;
    if (!failed) {
      try {
        commit_(job);
      } catch (const std::exception& e) {
        // Nothing may escape the thread: the program hears of it at its next call.
        why = e.what();
      } catch (...) {
        why = "an unknown failure";
      }
    }
    lock.lock();
    if (why && !failure_) failure_ = why;
    head_ = (head_ + 1) % kSlots;
    --count_;
    busy_ = false;
    changed_.notify_all();
  }
}

}  // namespace history
