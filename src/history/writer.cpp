#include "history/writer.h"

namespace history {

Writer::Writer(std::unique_ptr<Store> store)
    : store_(std::move(store)), thread_([this] { Work(); }) {}

Writer::~Writer() {
  {
    std::unique_lock lock(m_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

Job& Writer::Next() {
  std::unique_lock lock(m_);
  changed_.wait(lock, [&] { return count_ < kSlots; });
  return slots_[(head_ + count_) % kSlots];
}

void Writer::Post() {
  {
    std::unique_lock lock(m_);
    ++count_;
  }
  changed_.notify_all();
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
    Job& job = slots_[head_];
    busy_ = true;
    const bool failed = failure_.has_value();
    lock.unlock();
    std::optional<std::string> why;
    if (!failed) {
      try {
        switch (job.What) {
          case Job::BeginRun:
            run_ = store_->BeginRun(job.Run);
            break;
          case Job::EndRun:
            if (run_ != 0) store_->EndRun(run_, job.Time, job.Text1);
            run_ = 0;
            break;
          case Job::Pulse:
            pulse_ = store_->AddPulse(run_, job.Record);
            break;
          case Job::Outcome:
            if (pulse_ != 0) store_->SetOutcome(pulse_, job.Result, job.ErrorPct);
            break;
          case Job::Event:
            if (run_ != 0) store_->AddEvent(run_, job.Time, job.Text1, job.Text2, job.Text3);
            break;
        }
      } catch (const std::exception& e) {
        // Nothing may escape the thread: the program hears of it at its next call.
        why = e.what();
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
