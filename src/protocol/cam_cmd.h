#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

#include "base/failure.h"
#include "base/settings.h"
#include "base/text_scan.h"
#include "base/user_interface.h"
#include "link/transport.h"
#include "protocol/command_table.h"
#include "protocol/param_value.h"
#include "protocol/reply_grammar.h"

namespace kestrel {

class CameraLinkAdapter;

// The one command object: the command table, the link operations over one
// transport, the line layer and the request/reply transactions. Everything
// runs on one thread (the panel's, or the tool's).
// What the person is told when the camera does not answer in time.
inline constexpr const char* kNoAnswerText =
    "No answer from Camera! (Timeout error)\nCheck power on Camera or serial cable connection.";

class CCamCmd {
 public:
  static constexpr int kLineBufferSize = 2048;

  CCamCmd(Settings& settings, UserInterface& ui);
  CCamCmd(const CCamCmd&) = delete;
  CCamCmd& operator=(const CCamCmd&) = delete;

  void SetUserInterface(UserInterface& ui) { ui_ = &ui; }
  UserInterface& Ui() const { return *ui_; }
  // The Camera Link adapter that links opened from now on go through when
  // "Serial Mode" is not 0. A closed link lets go of the previous one at once.
  void SetCameraLink(CameraLinkAdapter* adapter);
  Settings& Config() const { return settings_; }
  const CommandTable& Table() const { return table_; }

  // Link operations. OpenPort opens "COM<index+1>" (RS-232C) or the Camera Link
  // adapter, whichever "Serial Mode" names; OpenPortNamed opens a device by name.
  // The transport is chosen anew at every open.
  int OpenPort(int portIndex);
  int OpenPortNamed(const std::string& portName);
  // The port the settings name: "Comm Device" when set, else "Comm Port".
  int OpenConfiguredPort();
  int ClosePort();
  bool LinkOpen() const { return link_->IsOpen(); }
  int ReadBytes(uint8_t* dst, int count, int timeoutMs);
  // Bytes that have arrived and wait to be read, or -1 when the link cannot tell.
  int BytesWaiting() const { return link_->Pending(); }
  // True when the device went away since the link was opened: a hang-up, an
  // unplugged adapter, a Camera Link library that reports an error. Every
  // transaction then fails at once.
  bool LinkLost() const;
  // What to tell the user: why the last open failed (cause and cure), and
  // that the device of an open link went away.
  Failure OpenFailure() const { return link_->OpenFailure(); }
  std::string OpenFailureText() const { return link_->OpenFailure().text; }
  std::string LostText() const { return link_->LostText(); }
  // False over a link whose far end keeps its own line speed (raw TCP).
  bool LinkCarriesSpeed() const { return link_->CarriesSpeed(); }
  // The longest round trip measured on the open link (a network relay), else 0.
  int LinkRoundTripMs() const { return link_->RoundTripMs(); }

  // Line layer.
  std::string FormatSet(int entry, const ParamValue& value, bool terminator) const;
  std::string FormatQuery(int entry, bool terminator) const;
  int SendCommand(const std::string& line, int log);
  int ReceiveLine(int log);
  std::string PopLine();
  int LineCount() const { return static_cast<int>(lineQueue_.size()); }
  // Starts clean for the next command: waits out a reply still due from a
  // command that timed out (briefly), then empties the queue, the partial
  // line, the ring and the driver. Complete lines among the discarded bytes
  // are logged like any received line, the rest as discarded.
  void ClearReceive();
  int ParseLine(const std::string& line, ParsedLine& r, int replyMode) const;
  int ParseReply(ParsedLine& r);
  // Waits for one line. The user interface is pumped every kPumpMs meanwhile,
  // so windows repaint and a cancel request can be made during a long wait.
  int WaitLine(int log, int timeoutMs);
  [[nodiscard]] int WaitComplete(int timeoutMs, int log);
  // Waits for the answer line to a command just sent: the first line that is
  // not its echo. False when none came within the time-out.
  bool WaitAnswerLine(int log, int timeoutMs, std::string& line);
  static constexpr int kPumpMs = 50;
  // True while a reply is awaited: the link is taken, and whatever runs
  // from the pump (a timer) must not start an exchange of its own.
  bool InExchange() const { return exchangeDepth_ > 0; }

  // Transactions.
  [[nodiscard]] int SetValue(int entry, const ParamValue& value, int timeoutMs);
  [[nodiscard]] int SetInt(int entry, int value, int timeoutMs);
  [[nodiscard]] int QueryValue(int entry, ParamValue& out, int timeoutMs, int log = 1);
  [[nodiscard]] int QueryInt(int entry, int& out, int timeoutMs, int log = 1);
  // The form a reply to the query of a table row takes.
  ReplyForm FormOf(int entry) const;
  // Waits for the reply to the query just sent (SendCommand), by the reply
  // grammar: the echo of the query and lines the camera sends unasked are
  // skipped (they reach the log like any received line) within the same
  // time-out; a line naming the command is the reply, read whole into
  // values[0..form.values) or `text`, else an Unreadable failure quoting it;
  // an error line is a Rejected failure. When the time-out ends after an
  // unasked line and no reply, that line was the camera's answer: Unreadable.
  [[nodiscard]] int AwaitReply(const ReplyForm& form, int32_t* values, std::string* text,
                               int timeoutMs, int log);

  // Why the last operation carried out through this object failed: a
  // transaction, or an engine routine that ran its commands through it. Set
  // by every failure, never cleared by a success, so it is read right after
  // the 0 it explains.
  const Failure& LastFailure() const { return failure_; }
  // Records why an operation failed and returns 0, so that a routine ends
  // with `return cmd.Fail(...)`.
  int Fail(Failure failure);
  int Fail(FailureKind kind, std::string text, MsgIcon icon = MsgIcon::Warning,
           std::string caption = {});
  // The failure of an exchange that got no whole answer: the device went
  // away (its reason), or no answer came within the time-out.
  int FailUnanswered();

  // Collects and logs lines the camera sends unasked; the front end calls it
  // every 50 ms while no transaction runs.
  void Poll();

  const std::string& LastCommand() const { return lastCommand_; }

  // One operation at a time: a transfer, a routine, a replay or a calibration
  // owns the link from its first command to its last (LinkOwner, nested owners
  // count), and timers or clicks that would start a transaction of their own
  // ask LinkOwned() and skip their turn.
  bool LinkOwned() const { return linkOwners_ > 0; }
  class LinkOwner {
   public:
    explicit LinkOwner(CCamCmd& cmd) : cmd_(cmd) { ++cmd_.linkOwners_; }
    ~LinkOwner() { --cmd_.linkOwners_; }
    LinkOwner(const LinkOwner&) = delete;
    LinkOwner& operator=(const LinkOwner&) = delete;

   private:
    CCamCmd& cmd_;
  };

 private:
  void RawWrite(const std::string& line);
  void WaitOutLateReply();
  void DiscardReceived();
  // A command went unanswered: its reply may still come, and must not be
  // taken for the next command's.
  void ExpectLateReply();

  Settings& settings_;
  UserInterface* ui_;
  CameraLinkAdapter* cameraLink_ = nullptr;
  std::unique_ptr<Transport> link_;
  CommandTable table_;
  char lineBuffer_[kLineBufferSize] = {};
  int linePos_ = 0;
  std::deque<std::string> lineQueue_;
  std::string lastCommand_;
  std::chrono::steady_clock::time_point lateReplyUntil_{};
  int replyTimeoutMs_ = 0;  // of the last reply awaited
  std::string portName_;    // of the last open
  int exchangeDepth_ = 0;
  Failure failure_;
  bool overflowed_ = false;
  int linkOwners_ = 0;
};

}  // namespace kestrel
