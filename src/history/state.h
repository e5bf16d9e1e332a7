#pragma once
// The history's part of the program context: the open database, the run and pulse rows
// being written, and the procedure and step the next runs belong to.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "history/store.h"
#include "history/writer.h"

namespace history {

// Added to the window caption once the history is off.
inline constexpr const char* kOffCaption = " - TEST HISTORY OFF";

struct State {
  // Where the database lives; empty keeps no history (the program's start sets it).
  std::string Path;
  std::unique_ptr<Writer> Out;  // every write, in order, on the writer's thread
  std::unique_ptr<Store> Db;    // reading, for the window and a recall
  bool Off = false;             // could not be opened or written: no further attempt this session
  // Procedure title and step name written on each new run; empty outside a procedure.
  std::string Procedure, Step;

  bool RunOpen = false;               // a run row is open
  int RunKind = 0;                    // run::Run of the open run
  std::string RunProcedure, RunStep;  // the procedure and step the open run belongs to
  int PulseIndex = 0;                 // pulses written into the open run
  bool EventPulse = false;            // a pulse was written during the current event
  std::string EventPulseKind;
  // The waveform control learns from a pulse after its row is taken: its error goes with
  // the outcome. ShapedBefore is the flow's count of shaped pulses when the row was taken.
  std::optional<double> EventPulseErrorPct;
  int ShapedBefore = 0;
  // A procedure's box shown between its runs (a pause), filed with the next run.
  std::optional<EventRow> Held;
  // The pulse on screen came from the history: its id, 0 once a real pulse replaced it.
  int64_t Recalled = 0;
};

}  // namespace history
