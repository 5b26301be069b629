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
  if (!cmd.WaitAnswerLine(log, timeoutMs, reply)) return Answer::Unanswered;
  return IsAcknowledgement(reply) ? Answer::Accepted : Answer::Rejected;
}

bool CameraSilent(CCamCmd& camera) {
  int area = 0;
  if (camera.QueryInt(cmd::EA, area, ReplyTimeout(camera.Config(), kSilenceProbeMs)) == 1)
    return false;
  const FailureKind kind = camera.LastFailure().kind;
  return kind == FailureKind::NoAnswer || kind == FailureKind::Lost;
}

std::string StoppedAtText(int line, int lines) {
  return "Stopped at line " + std::to_string(line) + " of " + std::to_string(lines) +
         "; the rest was not sent.";
}

bool AckTally::Record(Answer answer, const std::string& command, const std::string& reply) {
  ++sent_;
  const std::string bare(scan::WithoutLineEnd(command));
  const std::string where = "line " + std::to_string(sent_) + ": ";
  switch (answer) {
    case Answer::Accepted:
      ++accepted_;
      return true;
    case Answer::Rejected:
      reason_ = where + Printable(reply) + " for " + Printable(bare);
      rejected_ = true;
      return false;
    case Answer::Unanswered:
      reason_ = where + "no answer for " + Printable(bare);
      if (!probe_ || probe_->LinkLost()) return false;
      if (!CameraSilent(*probe_)) return true;
      stoppedAt_ = sent_;
      return false;
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
  if (stoppedAt_ > 0 && stoppedAt_ < total_) text += "\n" + StoppedAtText(stoppedAt_, total_);
  return text;
}

int SendAcknowledgedLines(CCamCmd& cmd, const std::vector<std::string>& lines, int timeoutMs) {
  UserInterface& ui = cmd.Ui();
  CCamCmd::LinkOwner owner(cmd);
  AckTally tally(static_cast<int>(lines.size()), &cmd);
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
