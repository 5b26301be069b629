#include "protocol/ack_tally.h"
#include "base/text_scan.h"

#include <cctype>

#include "protocol/cam_cmd.h"

namespace kestrel {

bool IsAcknowledgement(std::string_view line) {
  constexpr std::string_view kAck = "COMPLETE";
  if (line.size() < kAck.size()) return false;
  for (size_t i = 0; i < kAck.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(line[i])) != kAck[i]) return false;
  return true;
}

Answer WaitAnswer(CCamCmd& cmd, int timeoutMs, std::string& reply, int log) {
  reply.clear();
  if (cmd.Config().offline == 1) return Answer::Accepted;  // nothing was sent
  if (cmd.WaitLine(log, timeoutMs) != 1) return Answer::Unanswered;
  reply = cmd.PopLine();
  return IsAcknowledgement(reply) ? Answer::Accepted : Answer::Rejected;
}

bool AckTally::Record(Answer answer, const std::string& command, const std::string& reply) {
  ++sent_;
  const std::string bare(scan::WithoutLineEnd(command));
  const std::string where = "line " + std::to_string(sent_) + ": ";
  switch (answer) {
    case Answer::Accepted:
      ++accepted_;
      silent_ = 0;
      return true;
    case Answer::Rejected:
      reason_ = where + reply + " for " + bare;
      rejected_ = true;
      return false;
    case Answer::Unanswered:
      reason_ = where + "no answer for " + bare;
      return ++silent_ < kSilentLinesTolerated;
  }
  return false;
}

void AckTally::Cancelled() {
  reason_ = "stopped by the user after " + std::to_string(sent_) + " lines";
  cancelled_ = true;
}

FailureKind AckTally::Kind() const {
  if (cancelled_) return FailureKind::Cancelled;
  return rejected_ ? FailureKind::Rejected : FailureKind::NoAnswer;
}

std::string AckTally::Summary() const {
  std::string text = std::to_string(total_ - accepted_) + " of " + std::to_string(total_) +
                     " lines were not accepted";
  if (!reason_.empty()) text += " (" + reason_ + ")";
  return text;
}

int SendAcknowledgedLines(CCamCmd& cmd, const std::vector<std::string>& lines, int timeoutMs) {
  UserInterface& ui = cmd.Ui();
  CCamCmd::LinkOwner owner(cmd);
  AckTally tally(static_cast<int>(lines.size()));
  ui.BeginBusy();
  for (const std::string& line : lines) {
    if (ui.CancelRequested()) {
      tally.Cancelled();
      break;
    }
    cmd.ClearReceive();
    cmd.SendCommand(line + "\r\n", 1);
    std::string reply;
    const Answer answer = WaitAnswer(cmd, timeoutMs, reply);
    if (!tally.Record(answer, line, reply) || (answer == Answer::Unanswered && cmd.LinkLost()))
      break;
  }
  ui.EndBusy();
  if (tally.AllAccepted()) return 1;
  return cmd.Fail(tally.Kind(), tally.Summary());
}

}  // namespace kestrel
