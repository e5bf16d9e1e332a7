#include "run/stop_cause.h"

#include <utility>

namespace run {

namespace {
StopCause Of(Stop kind, std::string detail = {}, int code = 0) {
  StopCause c;
  c.Kind = kind;
  c.Code = code;
  c.Detail = std::move(detail);
  return c;
}
}  // namespace

StopCause Completed() {
  return Of(Stop::Completed);
}
StopCause AbortedBy(Source from) {
  StopCause c = Of(Stop::Aborted);
  c.From = from;
  return c;
}
StopCause TripOf(int code, std::string message) {
  return Of(Stop::Trip, std::move(message), code);
}
StopCause LimitOf(int code, std::string limit) {
  return Of(Stop::LimitRefused, std::move(limit), code);
}
StopCause BoardErrorOf(std::string text) {
  return Of(Stop::BoardError, std::move(text));
}
StopCause AcceptanceFailOf(std::string failing) {
  return Of(Stop::AcceptanceFail, std::move(failing));
}
StopCause NoDrive() {
  return Of(Stop::NoDrive);
}
StopCause ProgramClosed() {
  return Of(Stop::ProgramClosed);
}

StopCause WaveformGiveUpOf(std::string measure) {
  return Of(Stop::WaveformGiveUp, std::move(measure));
}

const char* StopName(Stop kind) {
  switch (kind) {
    case Stop::None:
    case Stop::Completed:
      return "completed";
    case Stop::Aborted:
      return "aborted";
    case Stop::Trip:
    case Stop::LimitRefused:
      return "trip";
    case Stop::BoardError:
      return "board error";
    case Stop::AcceptanceFail:
      return "acceptance FAIL";
    case Stop::NoDrive:
      return "no drive";
    case Stop::ProgramClosed:
      return "program closed";
    case Stop::Interrupted:
      return "interrupted";
    case Stop::WaveformGiveUp:
      return "waveform control gave up";
  }
  return "";
}

const char* SourceName(Source from) {
  switch (from) {
    case Source::None:
      return "";
    case Source::Operator:
      return "the operator";
    case Source::Key:
      return "key A";
    case Source::RemoteInput:
      return "the remote input";
    case Source::ControlFile:
      return "the control file";
    case Source::Signal:
      return "a signal";
    case Source::WindowClosed:
      return "closing the window";
  }
  return "";
}

std::string StopText(const StopCause& c) {
  std::string text = StopName(c.Kind);
  if (c.Kind == Stop::Aborted && c.From != Source::None) return text + " by " + SourceName(c.From);
  if (c.Detail.empty()) return text;
  text += ": ";
  // A board's text comes in lines; the reason is one.
  for (char ch : c.Detail) text += (ch == '\n' || ch == '\r') ? ' ' : ch;
  return text;
}

}  // namespace run
