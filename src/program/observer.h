#pragma once
// What a room that keeps a record of the run (the history) is told, without the capture or
// the entry point naming it: a room installs its functions here, unset ones are skipped.
struct Program;

struct ProgramObserver {
  void (*BeforePulse)(Program&) = nullptr;               // the next pulse is about to fire
  void (*PulseAnalyzed)(Program&) = nullptr;             // a pulse was recorded and analysed
  void (*PulseLearnt)(Program&) = nullptr;               // the waveform control learnt from it
  void (*StartedUp)(Program&) = nullptr;                 // the start-up has ended
  void (*EventEnded)(Program&, bool closing) = nullptr;  // after every event
};

// Calls `f` when it is installed.
template <typename F, typename... A>
void Tell(F* f, A&... args) {
  if (f) f(args...);
}
