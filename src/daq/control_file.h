#pragma once
// The remote-control file that another program writes: its place, its one record, and the
// reading that never blocks. The poll that acts on it belongs to the entry point.
#include <cstddef>
#include <cstdint>
#include <string>

#include "program/program.h"

namespace daq {

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

// The remote input lines, active low, and the control file's command bits.
inline constexpr int kEqualizeLine = 1, kAbortLine = 2, kStartLine = 4, kPreTestLine = 8;
inline constexpr int kOverrideBit = 16;

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

// The whole file, if it is an ordinary file of at most kMaxControlFileBytes. Anything else
// (missing, a directory, a pipe that would block, a device, an oversized file) is no record.
bool ReadControlFile(const std::string& path, std::string& text);
// Replaces the file in one step; false when it could not be written.
bool WriteControlFile(const std::string& path, const std::string& text);

}  // namespace daq
