#include "support/test_platform.h"

#include <cstdio>
#include <fstream>

namespace testing_support {

bool RecordingCanvas::SavePicture(const std::string& path) {
  if (FailSave) return false;
  std::ofstream f(path, std::ios::binary);
  if (!f) return false;
  f << "BM recorded plot\n";
  SavedTo.push_back(path);
  return static_cast<bool>(f);
}

bool RecordingCanvas::LoadPicture(const std::string& path) {
  if (FailLoad) return false;
  std::ifstream f(path, std::ios::binary);
  char c[2] = {0, 0};
  if (!f.read(c, 2) || c[0] != 'B' || c[1] != 'M') return false;
  LoadedFrom.push_back(path);
  return true;
}

std::vector<std::string> RecordingCanvas::Texts() const {
  std::vector<std::string> out;
  for (const auto& i : Items)
    if (i.What == Primitive::Text) out.push_back(i.Str);
  return out;
}

int RecordingCanvas::CountLines(int color) const {
  int n = 0;
  for (const auto& i : Items)
    if (i.What == Primitive::Line && (color < 0 || i.Color == color)) ++n;
  return n;
}

ui::Answer TestPlatform::MessageBox(const std::string& text, ui::Buttons b, ui::Icon i,
                                    const std::string& title) {
  Boxes.push_back({text, title, b, i});
  if (OnBox) OnBox(Boxes.back());
  if (!Answers.empty()) {
    ui::Answer a = Answers.front();
    Answers.pop_front();
    return a;
  }
  switch (b) {
    case ui::Buttons::OK:
      return ui::Answer::OK;
    case ui::Buttons::OKCancel:
      return ui::Answer::OK;
    case ui::Buttons::YesNo:
      return ui::Answer::Yes;
    case ui::Buttons::RetryCancel:
      return ui::Answer::Cancel;
  }
  return ui::Answer::OK;
}

std::string TestPlatform::InputBox(const std::string& prompt, const std::string& title,
                                   const std::string& def) {
  Prompts.push_back({prompt, title, def});
  if (Inputs.empty()) return "";
  std::string s = Inputs.front();
  Inputs.pop_front();
  return s;
}

std::string TestPlatform::OpenFileDialog(const std::string& title, const std::string& filter,
                                         int idx, const std::string& name) {
  Dialogs.push_back({false, title, filter, name, idx});
  if (Files.empty()) return name;
  std::string s = Files.front();
  Files.pop_front();
  return s;
}

std::string TestPlatform::SaveFileDialog(const std::string& title, const std::string& filter,
                                         int idx, const std::string& name) {
  Dialogs.push_back({true, title, filter, name, idx});
  if (Files.empty()) return name;
  std::string s = Files.front();
  Files.pop_front();
  return s;
}

std::string TestPlatform::ShortTime() {
  long s = static_cast<long>(SecondsSinceMidnight()) % 86400;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02ld:%02ld:%02ld", s / 3600, (s / 60) % 60, s % 60);
  return buf;
}

int TestPlatform::CountBoxes(const std::string& title) const {
  int n = 0;
  for (const auto& b : Boxes)
    if (b.Title == title) ++n;
  return n;
}

bool Harness::Send(const app::Event& e) {
  bool r = app::HandleEvent(prog, e);
  SyncTimers();
  return r;
}

bool Harness::Spin(ui::SpinId id, bool up) {
  app::Event e = app::Event::Of(up ? app::EventKind::SpinUp : app::EventKind::SpinDown);
  e.Spin = id;
  return Send(e);
}

void Harness::Advance(double ms) {
  const double target = plat.NowMs + ms;
  for (;;) {
    int next = -1, event = -1;
    double when = ui::TimerSchedule::kNever;
    for (int i = 0; i < ui::TimerSchedule::kTimers; ++i)
      if (timers_.Ready(i, target) && timers_.DueAt(i) < when) next = i, when = timers_.DueAt(i);
    for (size_t k = 0; k < scheduled_.size(); ++k)
      if (scheduled_[k].At <= target && scheduled_[k].At < when)
        event = static_cast<int>(k), next = -1, when = scheduled_[k].At;
    if (next < 0 && event < 0) break;
    if (when > plat.NowMs) plat.NowMs = when;
    if (event >= 0) {
      Scheduled s = scheduled_[event];
      scheduled_.erase(scheduled_.begin() + event);
      if (s.Do)
        s.Do();
      else
        app::HandleEvent(prog, s.E);
      SyncTimers();
      continue;
    }
    // The countdown restarts as the tick fires, as a real timer does.
    timers_.Fire(prog.win, next, [this](ui::TimerId id) {
      Fired[static_cast<int>(id)].push_back(plat.NowMs);
      app::HandleEvent(prog, app::Event::Tick(id));
    });
  }
  if (target > plat.NowMs) plat.NowMs = target;
}

}  // namespace testing_support
