#pragma once

#include "base/failure.h"

#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class CCamCmd;

// True for the camera's acknowledgement: a line whose first eight characters
// are "COMPLETE" in any case.
bool IsAcknowledgement(std::string_view line);

// After a command of a run went unanswered: one short probe ("EA?", 200 ms).
// True when the camera answers that neither: it has gone silent, and the run
// stops rather than wait out a time-out for every line left.
bool CameraSilent(CCamCmd& cmd);
inline constexpr int kSilenceProbeMs = 200;

// "Stopped at line 30 of 216; the rest was not sent."
std::string StoppedAtText(int line, int lines);

// The answer to one command line of a run.
enum class Answer { Accepted, Rejected, Unanswered };

// Waits up to timeoutMs for the reply line to a raw command sent with
// SendCommand: Accepted for a line starting with "COMPLETE" (any case),
// Rejected for any other line (kept in `reply`), Unanswered when none came.
// The reply goes to the communication log when `log` is 1.
Answer WaitAnswer(CCamCmd& cmd, int timeoutMs, std::string& reply, int log = 1);

// Counts the answers of a run of command lines that each must be accepted:
// the run stops at the first line the camera rejects, after a line without an
// answer when a short probe (CameraSilent, through `probe`) gets none either,
// or when the user cancels, and its summary says how many of the lines were
// not accepted and why. Without a probe an unanswered line stops the run.
class AckTally {
 public:
  explicit AckTally(int total, CCamCmd* probe = nullptr) : total_(total), probe_(probe) {}

  // Records the answer to the next line; `command` is the line as sent and
  // `reply` the camera's line for a rejection. False when the run must stop.
  bool Record(Answer answer, const std::string& command, const std::string& reply = {});
  // Records that the user stopped the run before the next line.
  void Cancelled();

  bool AllAccepted() const { return accepted_ == total_; }
  int Accepted() const { return accepted_; }
  // What kind of failure the run ended in: the user's cancel, a rejection,
  // else lines left unanswered.
  FailureKind Kind() const;
  // "N of M lines were not accepted (line 5: ERROR for AMR=2800,...)".
  std::string Summary() const;

 private:
  int total_;
  CCamCmd* probe_;
  int sent_ = 0;
  int accepted_ = 0;
  int stoppedAt_ = 0;  // the line after which the silent camera got nothing more
  bool cancelled_ = false;
  bool rejected_ = false;
  std::string reason_;
};

// Sends raw lines (CR LF added) one by one, each waiting up to timeoutMs for
// its answer, as one operation that owns the link; the user may cancel between
// two lines. 1 when every line was accepted; otherwise 0, with the summary as
// the command object's LastFailure.
int SendAcknowledgedLines(CCamCmd& cmd, const std::vector<std::string>& lines, int timeoutMs);

}  // namespace kestrel
