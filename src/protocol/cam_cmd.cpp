#include "protocol/cam_cmd.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstring>
#include <optional>
#include <thread>

#include "base/text_scan.h"
#include "protocol/text_value.h"

namespace kestrel {

namespace {

constexpr int kByteTimeoutMs = 10;
// How long after a time-out a late reply is still waited out before the next
// command. The camera answers within milliseconds; a reply later than its
// time-out plus this is not expected.
constexpr int kLateReplyGraceMs = 500;

}  // namespace

CCamCmd::CCamCmd(Settings& settings, UserInterface& ui)
    : settings_(settings), ui_(&ui), link_(MakeTransport({}, settings, nullptr)) {
  ClearReceive();
}

// ---------------------------------------------------------------- link

void CCamCmd::SetCameraLink(CameraLinkAdapter* adapter) {
  cameraLink_ = adapter;
  if (!link_->IsOpen()) link_ = MakeTransport({}, settings_, cameraLink_);
}

int CCamCmd::OpenPort(int portIndex) {
  return OpenPortNamed("COM" + std::to_string(portIndex + 1));
}

int CCamCmd::OpenPortNamed(const std::string& portName) {
  link_->Close();
  if (portName != portName_) lateReplyUntil_ = {};
  portName_ = portName;
  link_ = MakeTransport(portName, settings_, cameraLink_);
  return link_->Open(BaudOfIndex(settings_.baudRate));
}

int CCamCmd::OpenConfiguredPort() {
  if (!settings_.commDevice.empty()) return OpenPortNamed(settings_.commDevice);
  return OpenPort(settings_.commPort);
}

int CCamCmd::ClosePort() {
  // The late reply of a command or probe that timed out is still on its way
  // when the same port is reopened (at another speed, say): the rule holds
  // across the reopening. Another port starts clean (OpenPortNamed).
  link_->Close();
  return 1;
}

bool CCamCmd::LinkLost() const {
  return link_->Lost();
}

int CCamCmd::ReadBytes(uint8_t* dst, int count, int timeoutMs) {
  return link_->Read(dst, count, timeoutMs);
}

void CCamCmd::RawWrite(const std::string& line) {
  if (LinkLost()) return;
  link_->Write(reinterpret_cast<const uint8_t*>(line.data()), static_cast<int>(line.size()));
}

// ---------------------------------------------------------------- line layer

std::string CCamCmd::FormatSet(int entry, const ParamValue& value, bool terminator) const {
  const CommandEntry& e = table_[entry];
  std::string text;
  switch (e.valueType) {
    case kTypeInteger:
      text = std::to_string(value.intValue);
      break;
    case kTypeText:
      text = value.textValue;
      break;
    default:
      break;
  }
  std::string line =
      e.indexed ? e.mnemonic + "=" + std::to_string(e.index) + "," + text : e.mnemonic + "=" + text;
  if (terminator) line += "\r\n";
  return line;
}

std::string CCamCmd::FormatQuery(int entry, bool terminator) const {
  const CommandEntry& e = table_[entry];
  std::string line = e.indexed ? e.mnemonic + "?" + std::to_string(e.index) : e.mnemonic + "?";
  if (terminator) line += "\r\n";
  return line;
}

int CCamCmd::SendCommand(const std::string& line, int log) {
  RawWrite(line);
  std::string bare(scan::WithoutLineEnd(line));
  if (log == 1) {
    ui_->AppendLog("Tx: " + Printable(bare));
    ui_->AddMessage(Printable(bare));
  }
  lastCommand_ = std::move(bare);
  return 1;
}

int CCamCmd::ReceiveLine(int log) {
  // Without a camera there is no traffic: report success at once and queue
  // nothing.
  if (!link_->Answers()) return 1;
  for (;;) {
    uint8_t byte = 0;
    if (ReadBytes(&byte, 1, kByteTimeoutMs) != 1) return 0;
    if (byte == '\n') break;
    lineBuffer_[linePos_++] = static_cast<char>(byte);
    if (linePos_ >= kLineBufferSize) {
      linePos_ = 0;
      overflowed_ = true;
      return Fail(FailureKind::Unreadable, "RS-232C receiving buffer overflowed");
    }
  }
  // Camera lines end in CR LF; drop the CR, but never a byte that is not one.
  int length = linePos_;
  if (length > 0 && lineBuffer_[length - 1] == '\r') --length;
  std::string line(lineBuffer_, static_cast<size_t>(length));
  linePos_ = 0;
  if (log == 1) {
    // What the camera sent never reaches a screen raw (an escape sequence).
    const std::string shown = Printable(line);
    ui_->AppendLog("Rx: " + shown);
    ui_->AddMessage(shown);
  }
  lineQueue_.push_back(std::move(line));
  return 1;
}

std::string CCamCmd::PopLine() {
  if (lineQueue_.empty()) return {};
  std::string line = std::move(lineQueue_.front());
  lineQueue_.pop_front();
  return line;
}

void CCamCmd::ClearReceive() {
  WaitOutLateReply();
  DiscardReceived();
  linePos_ = 0;
  lineQueue_.clear();
}

void CCamCmd::ExpectLateReply() {
  // As long as the time-out itself, at most kLateReplyGraceMs: a probe's short
  // wait adds no more than its own length to a search of speeds.
  lateReplyUntil_ = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(std::min(kLateReplyGraceMs, replyTimeoutMs_));
}

void CCamCmd::WaitOutLateReply() {
  const auto until = lateReplyUntil_;
  lateReplyUntil_ = {};
  const auto now = std::chrono::steady_clock::now();
  if (now >= until || LinkLost()) return;
  // The first line to arrive is the late reply; it is logged and dropped.
  WaitLine(1, static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(until - now).count()));
}

void CCamCmd::DiscardReceived() {
  const std::string bytes = link_->DiscardInput();
  // Lines the camera sent on its own still reach the log and the message
  // list; a fragment is only logged.
  std::string partial(lineBuffer_, static_cast<size_t>(linePos_));
  for (char c : bytes) {
    if (c != '\n') {
      if (partial.size() + 1 < static_cast<size_t>(kLineBufferSize)) partial.push_back(c);
      continue;
    }
    partial = Printable(scan::WithoutLineEnd(partial));
    ui_->AppendLog("Rx: " + partial);
    ui_->AddMessage(partial);
    partial.clear();
  }
  if (!partial.empty()) ui_->AppendLog("Discarded: " + Printable(partial));
}

namespace {

// A text value as the line carries it: everything after the separator (and
// after the index of an indexed command line), blanks and commas kept; only
// the line end goes. Lens names and IDs may hold both.
std::string WholeText(const std::string& input, bool afterIndex) {
  std::string line;
  for (char c : input)
    if (c != '\r' && c != '\n') line.push_back(c);
  size_t at = line.find('=');
  if (at == std::string::npos) at = line.find('?');
  if (at == std::string::npos) return {};
  ++at;
  if (afterIndex) {
    const size_t comma = line.find(',', at);
    at = comma == std::string::npos ? line.size() : comma + 1;
  }
  return line.substr(at);
}

}  // namespace

int CCamCmd::ParseLine(const std::string& input, ParsedLine& r, int replyMode) const {
  r = ParsedLine{};
  r.line.reserve(input.size());
  for (char c : input)
    if (c != ' ' && c != '\r' && c != '\n') r.line.push_back(c);
  const std::string& line = r.line;

  size_t sep = line.find('=');
  if (sep == std::string::npos) sep = line.find('?');
  if (sep == std::string::npos) return 0;
  r.name = line.substr(0, sep);
  r.separator = line.substr(sep, 1);
  const std::string rest = line.substr(sep + 1);
  if (const int row = table_.Find(r.name); r.separator == "=" && row >= 0 &&
                                           table_[row].valueType == kTypeText &&
                                           !table_[row].indexed) {
    // A text row takes the whole rest of the line as it came, spaces and
    // commas included ("UD=my camera, line 2"); only the line end goes.
    r.value1 = std::string(scan::WithoutLineEnd(input.substr(input.find('=') + 1)));
    r.kind = 1;
    r.cmdIndex = row;
    r.type = kTypeText;
    r.textValue = r.value1;
    r.error = 0;
    return 1;
  }
  if (r.separator == "?") {
    r.kind = rest.empty() ? 0 : 1;
    if (r.kind == 1) r.value1 = rest;
  } else if (size_t comma = rest.find(','); comma == std::string::npos) {
    r.value1 = rest;
    r.kind = 1;
  } else {
    r.value1 = rest.substr(0, comma);
    r.value2 = rest.substr(comma + 1);
    r.indexNum = ToInt(r.value1);
    r.kind = 2;
  }

  for (int i = 0; i < CommandTable::kRows; ++i) {
    const CommandEntry& e = table_[i];
    if (e.mnemonic != r.name) continue;
    if (e.indexSpecific == 0) {
      // NAME=INDEX,VALUE addresses the INDEX-th row of that name. An index that
      // leaves the rows of the name resolves to nothing rather than to a
      // neighbouring command.
      int64_t row = int64_t{i} + (r.kind == 2 ? r.indexNum : 0);
      if (row >= 0 && row < CommandTable::kRows && table_[static_cast<int>(row)].mnemonic == r.name)
        r.cmdIndex = static_cast<int>(row);
      break;
    }
    if (r.indexNum == e.index) {
      r.cmdIndex = i;
      break;
    }
  }
  if (r.cmdIndex < 0) return 0;

  const CommandEntry& e = table_[r.cmdIndex];
  const std::string& text = replyMode || !e.indexed ? r.value1 : r.value2;
  r.type = e.valueType;
  switch (e.valueType) {
    case kTypeInteger:
      r.intValue = ToInt(text);
      break;
    case kTypeText:
      r.textValue = WholeText(input, replyMode == 0 && e.indexed);
      break;
    default:
      break;
  }
  r.error = 0;
  return 1;
}

int CCamCmd::ParseReply(ParsedLine& r) {
  return ParseLine(PopLine(), r, 1);
}

// Each ReceiveLine sleeps on the receive thread's signal for at most 10 ms, so
// this neither spins nor lags: it returns as soon as a line is complete.
int CCamCmd::WaitLine(int log, int timeoutMs) {
  // Measured on the steady clock rather than in whole ticks, so a wait never
  // ends a fraction of a millisecond early.
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  auto nextPump = Clock::now() + std::chrono::milliseconds(kPumpMs);
  ++exchangeDepth_;
  overflowed_ = false;
  int result = 0;
  for (;;) {
    if (ReceiveLine(log) == 1) {
      result = 1;
      break;
    }
    const auto now = Clock::now();
    if (overflowed_ || LinkLost() || now >= deadline) break;
    if (now >= nextPump) {
      ui_->PumpOneMessage();
      nextPump = Clock::now() + std::chrono::milliseconds(kPumpMs);
    }
  }
  --exchangeDepth_;
  return result;
}

int CCamCmd::WaitComplete(int timeoutMs, int log) {
  if (!link_->Answers()) return 1;
  ui_->BeginBusy();
  std::string line;
  if (!WaitAnswerLine(log, timeoutMs, line)) {
    ui_->EndBusy();
    ui_->SetLinkState(0);
    return FailUnanswered();
  }
  std::string head = line.substr(0, 8);
  for (char& c : head)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  ui_->EndBusy();
  ui_->SetLinkState(1);
  if (head != "COMPLETE")
    return Fail(FailureKind::Rejected, Printable(line) + " for " + Printable(lastCommand_));
  return 1;
}

bool CCamCmd::WaitAnswerLine(int log, int timeoutMs, std::string& line) {
  line.clear();
  if (!link_->Answers()) return true;  // nothing was sent: nothing to wait for
  using Clock = std::chrono::steady_clock;
  replyTimeoutMs_ = timeoutMs;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || WaitLine(log, static_cast<int>(left.count())) == 0) return false;
    line = PopLine();
    // A camera that echoes what it is sent: the echo is not the answer.
    if (scan::Trim(line) != scan::Trim(lastCommand_)) return true;
  }
}

int CCamCmd::Fail(Failure failure) {
  failure_ = std::move(failure);
  return 0;
}

int CCamCmd::Fail(FailureKind kind, std::string text, MsgIcon icon, std::string caption) {
  return Fail(Failure(kind, std::move(text), icon, std::move(caption)));
}

int CCamCmd::FailUnanswered() {
  if (overflowed_) return 0;  // the overflow is the reason
  if (LinkLost()) return Fail(FailureKind::Lost, LostText());
  ExpectLateReply();
  return Fail(FailureKind::NoAnswer, kNoAnswerText);
}

// ---------------------------------------------------------------- transactions

int CCamCmd::SetValue(int entry, const ParamValue& value, int timeoutMs) {
  // The last guard: a text that would break the line is never sent. (The
  // register writes carry a line end of their own, as they always have.)
  if (table_[entry].valueType == kTypeText)
    if (std::string why = CheckTextValue(table_, entry, scan::WithoutLineEnd(value.textValue));
        !why.empty())
      return Fail(FailureKind::BadInput, why);
  ClearReceive();
  SendCommand(FormatSet(entry, value, true), 1);
  return WaitComplete(timeoutMs, 1);
}

int CCamCmd::SetInt(int entry, int value, int timeoutMs) {
  return SetValue(entry, ParamValue::Int(value), timeoutMs);
}

ReplyForm CCamCmd::FormOf(int entry) const {
  const CommandEntry& e = table_[entry];
  return ReplyForm{e.mnemonic, e.indexed ? e.index : -1, e.valueType, 1};
}

int CCamCmd::AwaitReply(const ReplyForm& form, int32_t* values, std::string* text, int timeoutMs,
                        int log) {
  if (!link_->Answers()) return Fail(FailureKind::NoAnswer, "offline");
  using Clock = std::chrono::steady_clock;
  replyTimeoutMs_ = timeoutMs;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::optional<std::string> unasked;  // the first line that did not name the command
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || WaitLine(log, static_cast<int>(left.count())) == 0) break;
    const std::string line = PopLine();
    switch (ReadReplyLine(line, lastCommand_, form, values, text)) {
      case ReplyLine::Reply:
        ui_->SetLinkState(1);
        return 1;
      case ReplyLine::Unreadable:
        ui_->SetLinkState(1);
        return Fail(FailureKind::Unreadable, UnreadableText(line, lastCommand_));
      case ReplyLine::Refusal:
        ui_->SetLinkState(1);
        return Fail(FailureKind::Rejected, Printable(line) + " for " + Printable(lastCommand_));
      case ReplyLine::Echo:
        break;
      case ReplyLine::Unasked:
        if (!unasked) unasked = line;
        break;
    }
  }
  if (unasked && !overflowed_ && !LinkLost()) {
    ExpectLateReply();
    ui_->SetLinkState(1);
    return Fail(FailureKind::Unreadable, UnreadableText(*unasked, lastCommand_));
  }
  ui_->SetLinkState(0);
  return FailUnanswered();
}

int CCamCmd::QueryValue(int entry, ParamValue& out, int timeoutMs, int log) {
  ClearReceive();
  SendCommand(FormatQuery(entry, true), log);
  if (!link_->Answers()) return Fail(FailureKind::NoAnswer, "offline");
  const ReplyForm form = FormOf(entry);
  int32_t value = 0;
  std::string text;
  if (AwaitReply(form, &value, &text, timeoutMs, log) != 1) return 0;
  out.type = form.valueType;
  out.intValue = form.valueType == kTypeText ? 0 : value;
  out.textValue = form.valueType == kTypeText ? text : std::string();
  return 1;
}

int CCamCmd::QueryInt(int entry, int& out, int timeoutMs, int log) {
  ParamValue value;
  int result = QueryValue(entry, value, timeoutMs, log);
  out = value.intValue;
  return result;
}

void CCamCmd::Poll() {
  if (!link_->Answers()) return;
  if (link_->Pending() < 0) {
    ReceiveLine(1);  // a link that cannot tell is given one line's chance
    return;
  }
  while (link_->Pending() > 0 && ReceiveLine(1) == 1) {
  }
}

}  // namespace kestrel
