#pragma once
// A procedure without a window: the program on a console platform whose timers run in real
// time, whose boxes go to standard error and whose pauses read a line from standard input.
#include <csignal>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "ui/platform.h"

namespace procedure {

using PdfFactory = std::function<std::unique_ptr<ui::Printer>(const std::string& path)>;

struct HeadlessSetup {
  std::string File;                                  // the procedure file, absolute
  PdfFactory Pdf;                                    // the report's PDF writer
  const volatile std::sig_atomic_t* Stop = nullptr;  // set by SIGINT or SIGTERM: Abort
  int InputFd = 0;                                   // where a pause reads its line
};

// What a line typed at a pause means: an empty line, "c" or "continue" go on; "a" or
// "abort" abort; anything else asks again. Case and surrounding blanks do not matter.
enum class PauseReply { Continue, Abort, AskAgain };
PauseReply PauseReplyOf(const std::string& line);

// Checks the file, starts the program as the window would (default profile, board or demo
// mode), runs the procedure and shuts down. Returns the procedure's exit status, or 2 for a
// refused file (each error on its own line of `err`).
int RunHeadless(const HeadlessSetup& setup, std::ostream& err);

}  // namespace procedure
