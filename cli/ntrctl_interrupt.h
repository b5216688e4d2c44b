// Ctrl-C during work that must not be cut in the middle (a synchronisation's
// bulk write, a bulk read): the first Ctrl-C only says that the work is being
// finished; the second ends the process at once with status 130, after
// ending a progress line and saying what was left.
#pragma once

namespace ntr::cli {

inline constexpr int kExitInterrupted = 130;

class FinishOnInterrupt {
 public:
  // Both texts are whole lines; they must outlive the object.
  FinishOnInterrupt(const char* finishingText, const char* abandonedText);
  ~FinishOnInterrupt();
  FinishOnInterrupt(const FinishOnInterrupt&) = delete;
  FinishOnInterrupt& operator=(const FinishOnInterrupt&) = delete;

  // Whether Ctrl-C was pressed (once) while the object lived.
  static bool interrupted();
};

}  // namespace ntr::cli
