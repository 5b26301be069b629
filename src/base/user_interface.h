#pragma once

#include <string>

namespace kestrel {

enum class MsgIcon { None, Information, Warning, Stop, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgAnswer { Ok, Cancel, Yes, No };

// What an engine may ask or tell the person in the middle of an operation:
// the calibration's operator prompts, "continue?" after a bad line of a
// file. The window that starts the operation hands its reporter in; the
// outcome of the operation itself comes back as a value (base/failure.h).
class Reporter {
 public:
  virtual ~Reporter() = default;
  // A modal message. An empty caption means the program's own name.
  virtual MsgAnswer Report(const std::string& text, MsgIcon icon,
                           MsgButtons buttons = MsgButtons::Ok,
                           const std::string& caption = {}) = 0;
};

// A reporter for runs without anybody watching: it shows nothing and answers
// every question with its first button.
class SilentReporter : public Reporter {
 public:
  MsgAnswer Report(const std::string&, MsgIcon, MsgButtons buttons, const std::string&) override {
    return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgAnswer::Ok
                                                                        : MsgAnswer::Yes;
  }
};

// What the core sends to the front end while it works; none of it decides
// anything. The panel implements it with widgets, kestrelctl with stderr and
// a progress bar, tests with a recorder; this base shows nothing, for runs
// without anybody watching.
class UserInterface {
 public:
  virtual ~UserInterface() = default;

  // The communication log (time-stamped by the log itself) and the message list.
  virtual void AppendLog(const std::string& /*line*/) {}
  virtual void AddMessage(const std::string& /*line*/) {}

  // 1 online, 0 offline.
  virtual void SetLinkState(int /*online*/) {}

  virtual void BeginBusy() {}
  virtual void EndBusy() {}

  // The progress window of long operations.
  virtual void ShowProgress() {}
  virtual void SetProgressMessage(const std::string& /*text*/) {}
  virtual void SetProgressPercent(int /*percent*/) {}
  virtual void CloseProgress() {}
  // True once the person asked the running long operation to stop (the
  // progress window's Cancel, Ctrl+C in kestrelctl). A long operation asks
  // between two commands, stops after the current one and says what was done.
  // ShowProgress starts every operation uncancelled.
  virtual bool CancelRequested() { return false; }

  // Handle at most one pending window event, so windows repaint during long work.
  virtual void PumpOneMessage() {}
};

}  // namespace kestrel
