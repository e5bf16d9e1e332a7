#pragma once
// Keeps every run, pulse and message of a run in the test history database. The program
// calls it at three places: when a pulse has been analysed, at the end of each event, and
// (through the platform tap) for each message box.
#include <cstdint>
#include <span>
#include <string>

#include "program/program.h"

namespace history {

inline constexpr const char* kFileName = "krx8-history.sqlite";
inline constexpr const char* kTitle = " KRX-8 Test History";

// The database path from KRX8_HISTORY (null when unset): unset is the file in the working
// folder, the empty string keeps no history.
std::string PathFrom(const char* variable);
// Joins the history to the program: the database at `path` (empty: none), its observer of
// the pulses and events, and its tap on the boxes and file dialogs.
void Attach(Program& p, const std::string& path);

// A pulse was recorded and analysed: its row, with the raw record, is committed before
// anything else happens.
void PulseAnalyzed(Program& p);

// The waveform control learnt from the pulse just analysed: its error is kept for its row
// (a trip after it may clear the control's figures before the event ends).
void PulseLearnt(Program& p);

struct EventEnd {
  bool Closing = false;  // the program is ending
};
// After every event: opens and closes run rows as the run state changed, and completes the
// event's pulse with what the plot measured and the checks found.
void AfterEvent(Program& p, const EventEnd& end);

// At start-up: a last run left without an end by a killed program is ended as "interrupted",
// with one box naming it.
void StartUp(Program& p);

// A message box is about to be shown.
void BoxShown(Program& p, const std::string& title, const std::string& text);

// A file dialog chose `chosen`: true, with one box, when it is the history's file or one of
// its companions (-wal, -shm, -journal).
bool RefusesFile(Program& p, const std::string& chosen);

// Waits until every row handed to the writer is committed.
void Flush(Program& p);

// File, Test History...
void OpenHistoryWindow(Program& p);
// Loads a stored pulse and its run's profile as a recalled record and draws it; false with
// one box when it cannot.
bool ShowPulse(Program& p, int64_t pulse);
// The samples of a pulse as CSV: time in ms, channels 1 to 16 in G (an inactive channel's
// field empty), the drive in G and, when given (one value per scan), the drive played in
// volts; each line ended by `eol`.
std::string PulseCsv(const PulseRecord& r, const char* eol, std::span<const float> driveVolts = {});

// UTC now as ISO 8601 with milliseconds.
std::string NowUtc();

}  // namespace history
