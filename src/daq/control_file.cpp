#include "daq/control_file.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "common/number_text.h"
#include "common/run_error.h"
#include "common/text_file.h"

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace daq {

namespace {

bool FiniteSingle(double v, float& out) {
  out = static_cast<float>(v);
  return std::isfinite(out);
}

}  // namespace

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

}  // namespace daq
