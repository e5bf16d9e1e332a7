#pragma once
// Remote control: the four remote input lines of the board and the control file that
// another program writes. Both are polled by the housekeeping timer.
#include <cstddef>
#include <cstdint>
#include <string>

#include "program/program.h"

namespace app {

// The control file's place: this environment variable when set, else the default below.
inline constexpr const char* kControlFileEnv = "KRX8_CONTROL_FILE";
#ifdef _WIN32
inline constexpr const char* kDefaultControlFile = "C:\\Program Files\\KRX8\\KRXControl.dat";
#else
// Beside the default profile and the calibration file, in the working directory.
inline constexpr const char* kDefaultControlFile = "KRXControl.dat";
#endif

// A record is a few dozen bytes; anything past this is not a record and is ignored.
inline constexpr size_t kMaxControlFileBytes = 4096;

// The highest level the override may set, in G. Any positive level up to it is one an
// operator may enter in some unit system (Metric starts at 0.5 m/s², about 0.051 G).
inline constexpr float kMaxRemoteLevelG = 200.0f;

// One record of the control file: command, key, level. Key and level are optional.
struct ControlRecord {
  float Command = 0;
  bool HasKey = false;
  std::string Key;
  bool HasLevel = false;
  float LevelG = 0;
};

// Reads the record at the start of `text`; false when a field cannot be read (the poll
// then ends there). Numbers that a single float cannot hold count as unreadable.
bool ParseControlRecord(const std::string& text, ControlRecord& out);
// The record the program writes back: 16 x override, an empty key, the level.
std::string ControlRecordText(float levelOverride, float levelG);

// The control file path from the environment variable's value (null when unset).
std::string ControlFilePathFrom(const char* envValue);
// The path this program polls, resolved on first use and kept for the run.
const std::string& ControlFilePath(Program& p);

// Remote input lines, active low: bit 0 Equalize, bit 1 Abort, bit 2 Start, bit 3
// Pre-test, in that order; a line held low repeats its command at every poll.
void RunRemoteInputs(Program& p, int16_t word);
// Hardware mode with the PCI interface only: reads the lines and runs their commands.
void PollRemoteInputs(Program& p);
// Reads and consumes the control file's record and acts on it; file errors end the poll
// silently and the next tick tries again.
void PollControlFile(Program& p);

// While a handler is busy: asks for Abort when the remote input line or the control file
// commands it. Nothing is consumed, run or reported; the regular poll does that later.
void PollAbortWhileBusy(Program& p);

// Inputs menu items: each toggles its mark and switches its poll.
void ToggleRemoteInputs(Program& p);
void ToggleControlFile(Program& p);

}  // namespace app
