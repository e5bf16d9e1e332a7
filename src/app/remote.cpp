#include "app/remote.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "app/keys.h"
#include "app/lockout.h"
#include "app/sequencer.h"
#include "app/startup.h"
#include "common/number_text.h"
#include "common/rounding.h"
#include "common/run_error.h"
#include "common/text_file.h"
#include "daq/digital.h"

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace app {

namespace row = profile::row;
using ui::MenuId;

namespace {

constexpr int kEqualizeLine = 1, kAbortLine = 2, kStartLine = 4, kPreTestLine = 8;
constexpr int kOverrideBit = 16;

bool FiniteSingle(double v, float& out) {
  out = static_cast<float>(v);
  return std::isfinite(out);
}

// The whole file, if it is an ordinary file of at most kMaxControlFileBytes. Anything
// else (missing, a directory, a pipe that would block, a device, an oversized file) is
// no record.
bool ReadControlFile(const std::string& path, std::string& text) {
  text.clear();
#ifdef _WIN32
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  char buf[kMaxControlFileBytes + 1];
  f.read(buf, sizeof buf);
  std::streamsize n = f.gcount();
  if (n < 0 || static_cast<size_t>(n) > kMaxControlFileBytes) return false;
  text.assign(buf, static_cast<size_t>(n));
  return true;
#else
  // Non-blocking, so that a pipe put in the file's place cannot stall the timer.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  char buf[kMaxControlFileBytes + 1];
  size_t got = 0;
  while (ok && got < sizeof buf) {
    ssize_t n = ::read(fd, buf + got, sizeof buf - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  if (!ok || got > kMaxControlFileBytes) return false;
  text.assign(buf, got);
  return true;
#endif
}

bool WriteControlFile(const std::string& path, const std::string& text) {
  try {
    common::WriteFileAtomically(path, text);
    return true;
  } catch (const common::RunError&) {
    return false;
  } catch (const std::exception&) {
    return false;
  }
}

// Step one of a poll: take the other program's record into the run state and consume it
// by writing the program's own record over it. `written` is the text left behind.
bool ReadAndConsume(Program& p, std::string& written) {
  const std::string& path = ControlFilePath(p);
  std::string text;
  ControlRecord r;
  if (!ReadControlFile(path, text) || !ParseControlRecord(text, r)) return false;
  p.run.RemoteCommand = r.Command;
  // A key acts once: a record without one carries no key, not the last one read.
  p.run.RemoteKey = r.HasKey ? r.Key : std::string();
  if (r.HasLevel) p.run.RemoteLevelG = r.LevelG;
  written = ControlRecordText(p.run.RemoteLevelOverride, p.run.RemoteLevelG);
  return WriteControlFile(path, written);
}

// The last step: rewrite the program's own record so that it carries this poll's
// override flag. A record the other program wrote meanwhile is left for the next poll
// rather than overwritten unseen.
void RewriteOverride(Program& p, const std::string& ownRecord) {
  const std::string& path = ControlFilePath(p);
  std::string text;
  ControlRecord r;
  if (!ReadControlFile(path, text) || text != ownRecord || !ParseControlRecord(text, r)) return;
  p.run.RemoteCommand = r.Command;
  p.run.RemoteKey = r.Key;
  p.run.RemoteLevelG = r.LevelG;
  WriteControlFile(path, ControlRecordText(p.run.RemoteLevelOverride, p.run.RemoteLevelG));
}

bool UsableLevel(float g) {
  return g > 0 && g <= kMaxRemoteLevelG;  // false for NaN too
}

}  // namespace

bool ParseControlRecord(const std::string& text, ControlRecord& out) {
  out = ControlRecord{};
  try {
    common::TextReader in(text);
    if (in.Eof()) return false;  // a blank file holds no record
    if (!FiniteSingle(in.ReadNumber(), out.Command)) return false;
    if (in.Eof()) return true;
    out.Key = in.ReadText();
    out.HasKey = true;
    if (in.Eof()) return true;
    if (!FiniteSingle(in.ReadNumber(), out.LevelG)) return false;
    out.HasLevel = true;
    return true;
  } catch (const common::RunError&) {
    return false;
  }
}

std::string ControlRecordText(float levelOverride, float levelG) {
  common::TextWriter w("");
  w.WriteLine({common::ShortestFloatText(kOverrideBit * levelOverride), common::Quoted(""),
               common::ShortestFloatText(levelG)});
  return w.Content();
}

std::string ControlFilePathFrom(const char* envValue) {
  if (envValue && *envValue) return envValue;
  return kDefaultControlFile;
}

const std::string& ControlFilePath(Program& p) {
  std::string& path = p.run.ControlFilePath;
  if (path.empty()) {
    path = ControlFilePathFrom(std::getenv(kControlFileEnv));
    // Fixed for the run, whatever a dialog later does to the working directory.
    std::error_code ec;
    auto abs = std::filesystem::absolute(path, ec);
    if (!ec) path = abs.string();
  }
  return path;
}

void RunRemoteInputs(Program& p, int16_t word) {
  p.run.RemoteInputWord = word;
  // During a procedure only the Abort line acts.
  const bool commands = !LockedOut(p);
  if (commands && (word & kEqualizeLine) == 0) EqualizeCommand(p);
  if ((word & kAbortLine) == 0) StopTest(p);
  if (commands && (word & kStartLine) == 0) StartCommand(p);
  if (commands && (word & kPreTestLine) == 0) PreTestCommand(p);
}

void PollRemoteInputs(Program& p) {
  if (p.daq.DemoMode == 1.0f || p.Row(row::InterfaceType) != 1) return;
  int16_t lines;
  try {
    lines = daq::ReadRemoteInputs(p);
  } catch (const common::RunError& e) {
    // A board that cannot be read would put up a box at every poll and leave the operator
    // no time to reach the menu: the polling goes off, the operator may switch it on again.
    p.Row(row::RemoteInputs) = 0;
    p.win.Check(ui::MenuId::mnuInputsRemote, false);
    p.platform.MessageBox(e.Description(), ui::Buttons::OK, ui::Icon::Exclamation, "Error!");
    return;
  }
  RunRemoteInputs(p, lines);
}

void PollControlFile(Program& p) {
  std::string written;
  if (!ReadAndConsume(p, written)) return;
  // A command no 16-bit integer holds is consumed and does nothing.
  const float command = p.run.RemoteCommand;
  if (!(command > -32768.5f && command < 32767.5f)) return;
  const int c = common::ToInt32(command);
  // During a procedure only Abort acts, and the level stays the procedure's.
  const bool locked = LockedOut(p);
  switch (locked && (c & 7) != 2 ? 0 : c & 7) {
    case 1:
      EqualizeCommand(p);
      break;
    case 2:
      StopTest(p);
      break;
    case 3:
      StartCommand(p);
      break;
    case 4:
      PreTestCommand(p);
      break;
    default:
      break;
  }
  // The override takes only a level the operator could have entered.
  p.run.RemoteLevelOverride =
      (!locked && (c & kOverrideBit) == kOverrideBit && UsableLevel(p.run.RemoteLevelG)) ? 1.0f
                                                                                         : 0.0f;
  if (!p.run.RemoteKey.empty()) HandleKey(p, static_cast<unsigned char>(p.run.RemoteKey[0]));
  RewriteOverride(p, written);
}

void PollAbortWhileBusy(Program& p) {
  if (p.Row(row::RemoteInputs) == 1 && p.daq.DemoMode != 1.0f && p.Row(row::InterfaceType) == 1) {
    int16_t word = daq::kRemoteInputsIdle;
    if (daq::PeekRemoteInputs(p, word) && (word & kAbortLine) == 0) p.run.AbortRequested = true;
  }
  if (p.Row(row::SoftwareRemote) == 1) {
    std::string text;
    ControlRecord r;
    if (!ReadControlFile(ControlFilePath(p), text) || !ParseControlRecord(text, r)) return;
    const float c = r.Command;
    bool abort = c > -32768.5f && c < 32767.5f && (common::ToInt32(c) & 7) == 2;
    if (r.HasKey && !r.Key.empty() && (r.Key[0] == 'A' || r.Key[0] == 'a')) abort = true;
    if (abort) p.run.AbortRequested = true;
  }
}

void ToggleRemoteInputs(Program& p) {
  bool on = !p.win.Checked(MenuId::mnuInputsRemote);
  p.win.Check(MenuId::mnuInputsRemote, on);
  p.Row(row::RemoteInputs) = on ? 1.0f : 0.0f;
}

void ToggleControlFile(Program& p) {
  bool on = !p.win.Checked(MenuId::mnuInputsDllControl);
  p.win.Check(MenuId::mnuInputsDllControl, on);
  p.Row(row::SoftwareRemote) = on ? 1.0f : 0.0f;
}

}  // namespace app
