#include "correction/data_transfer.h"

#include <chrono>
#include <thread>

#include "base/text_scan.h"
#include "base/user_interface.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"
#include "protocol/transfer_mark.h"

namespace kestrel {

namespace {

constexpr int kPumpCount = 25;

void Sleep(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

std::string FormatDataLine(std::string_view mnemonic, const int32_t* values, int count) {
  std::string line(mnemonic);
  line += '=';
  for (int j = 0; j < count; ++j) {
    if (j > 0) line += ',';
    line += std::to_string(values[j]);
  }
  line += "\r\n";
  return line;
}

Failure CheckDataRange(const int32_t* values, int count, int32_t minimum, int32_t maximum) {
  for (int i = 0; i < count; ++i)
    if (values[i] < minimum || values[i] > maximum)
      return Failure(FailureKind::BadInput, "Invalid data range: index (" + std::to_string(i) +
                                                "): value (" + std::to_string(values[i]) + ")");
  return {};
}

Failure CompareReadBack(const int32_t* written, const int32_t* held, int count,
                        const std::string& noun) {
  for (int i = 0; i < count; ++i)
    if (written[i] != held[i])
      return Failure(FailureKind::Rejected, "Verify failed: the camera holds " +
                                                std::to_string(held[i]) + " at " + noun + " " +
                                                std::to_string(i) + " where " +
                                                std::to_string(written[i]) + " was written");
  return {};
}

int FailAfterExchange(CCamCmd& cmd, const std::string& conclusion) {
  Failure failure = cmd.LastFailure();
  failure.text = failure.text.empty() ? conclusion : failure.text + "\n" + conclusion;
  return cmd.Fail(std::move(failure));
}

const char* StoreMnemonicOf(CorrectionKind kind, int sensor) {
  const bool first = sensor == 1;
  switch (kind) {
    case CorrectionKind::PixelBlack:
      return first ? "PBDS" : "PBDS2";
    case CorrectionKind::PixelGain:
      return first ? "PGDS" : "PGDS2";
    case CorrectionKind::ShadingOffset:
    case CorrectionKind::ShadingSlope:
      return first ? "SDDS" : "SDDS2";
    default:
      return nullptr;
  }
}

CDataTransfer::CDataTransfer(CCamCmd& cmd, TransferTiming timing) : cmd_(cmd), timing_(timing) {}

void CDataTransfer::Pump() {
  for (int i = 0; i < kPumpCount; ++i)
    cmd_.Ui().PumpOneMessage();
}

// Lines the camera sent unasked before a command would otherwise be taken for
// its answer. Complete ones are logged like any received line; the rest goes.
void CDataTransfer::DiscardStale() {
  if (cmd_.BytesWaiting() > 0) cmd_.Poll();
  cmd_.ClearReceive();
}

Answer CDataTransfer::WaitDataAck(int timeoutMs, std::string& reply) {
  reply.clear();
  if (cmd_.Config().offline == 1) return Answer::Accepted;  // nothing was sent
  const Answer answer = WaitAnswer(cmd_, timeoutMs, reply);
  if (answer != Answer::Unanswered) cmd_.Ui().SetLinkState(1);
  Pump();
  return answer;
}

int CDataTransfer::WaitDataReply(int32_t* dest, int count, int timeoutMs) {
  // Queries fail offline, with nothing to add to the reader's own message.
  if (cmd_.Config().offline == 1) return cmd_.Fail(FailureKind::NoAnswer, "");
  const std::string& query = cmd_.LastCommand();
  const ReplyForm form{query.substr(0, query.find('?')), -1, kTypeInteger, count};
  if (cmd_.AwaitReply(form, dest, nullptr, timeoutMs, 1) != 1) return 0;
  Pump();
  return 1;
}

int CDataTransfer::WriteDataBlocks(const std::string& mnemonic, const int32_t* values,
                                   int perCommand, int total) {
  UserInterface& ui = cmd_.Ui();
  if (perCommand <= 0 || total < 0 || total % perCommand != 0)
    return cmd_.Fail(FailureKind::BadInput, "not a whole number of lines");
  CCamCmd::LinkOwner owner(cmd_);
  TransferMark mark;
  if (!mark.Begin(cmd_, mnemonic)) return 0;
  const int n = total / perCommand;
  AckTally tally(n, &cmd_);
  ui.ShowProgress();
  for (int k = 0; k < n; ++k) {
    if (ui.CancelRequested()) {
      tally.Cancelled();
      break;
    }
    DiscardStale();
    const std::string line = FormatDataLine(mnemonic, values + k * perCommand, perCommand);
    cmd_.SendCommand(line, 1);
    std::string reply;
    const Answer answer = WaitDataAck(timing_.ackTimeoutMs, reply);
    // A port that hung up will not answer the rest either.
    const bool lost = answer == Answer::Unanswered && cmd_.LinkLost();
    if (!tally.Record(lost ? Answer::Unanswered : answer, line, reply) || lost) {
      if (answer == Answer::Unanswered) ui.SetLinkState(0);
      break;
    }
    ui.SetProgressMessage("Writing the correction data: " + std::to_string(k + 1) + " of " +
                          std::to_string(n) + " lines sent");
    ui.SetProgressPercent(k * 100 / n);
    if (cmd_.Config().offline != 1) Sleep(timing_.pauseMs);  // no camera to pace
  }
  ui.CloseProgress();
  if (tally.AllAccepted()) {
    mark.Ended();
    return 1;
  }
  if (cmd_.LinkLost())
    return cmd_.Fail(FailureKind::Lost, cmd_.LostText() + "\n" + tally.Summary());
  return cmd_.Fail(tally.Kind(), tally.Summary());
}

int CDataTransfer::ReadDataBlocks(const std::string& mnemonic, int32_t* values, int perReply,
                                  int total) {
  UserInterface& ui = cmd_.Ui();
  if (perReply <= 0 || total < 0 || total % perReply != 0)
    return cmd_.Fail(FailureKind::BadInput, "not a whole number of replies");
  CCamCmd::LinkOwner owner(cmd_);
  TransferMark mark;
  if (!mark.Begin(cmd_, mnemonic)) return 0;
  const int n = total / perReply;
  ui.ShowProgress();
  const std::string query = mnemonic + "?\r\n";
  for (int i = 0; i < total; i += perReply) {
    if (ui.CancelRequested()) {
      ui.CloseProgress();
      return cmd_.Fail(FailureKind::Cancelled, "Stopped after " + std::to_string(i / perReply) +
                                                   " of " + std::to_string(n) +
                                                   " lines; nothing was saved.");
    }
    DiscardStale();
    cmd_.SendCommand(query, 1);
    if (WaitDataReply(values + i, perReply, timing_.replyTimeoutMs) != 1) {
      ui.CloseProgress();
      return FailAfterExchange(cmd_, "Failed reading camera parameter");
    }
    const int k = i / perReply;
    ui.SetProgressMessage("Reading the correction data: " + std::to_string(k + 1) + " of " +
                          std::to_string(n) + " lines received");
    ui.SetProgressPercent(k * 100 / n);
    if (cmd_.Config().offline != 1) Sleep(timing_.pauseMs);  // no camera to pace
  }
  ui.CloseProgress();
  mark.Ended();
  return 1;
}

int CDataTransfer::WriteCorrection(CorrectionKind kind, const int32_t* values, int sensor) {
  const CorrectionKindInfo& info = InfoOf(kind);
  return WriteDataBlocks(MnemonicOf(kind, sensor), values, info.perCommand, info.count);
}

int CDataTransfer::ReadCorrection(CorrectionKind kind, int32_t* values, int sensor) {
  const CorrectionKindInfo& info = InfoOf(kind);
  return ReadDataBlocks(MnemonicOf(kind, sensor), values, info.perCommand, info.count);
}

namespace {

const char* StoredName(CorrectionKind kind) {
  return kind == CorrectionKind::PixelBlack  ? "pixel black"
         : kind == CorrectionKind::PixelGain ? "pixel gain"
                                             : "shading";
}

}  // namespace

std::string StoredText(CorrectionKind kind) {
  return std::string("Succeeded in storing ") + StoredName(kind) + " data";
}

int CDataTransfer::StoreCorrection(CorrectionKind kind, int sensor) {
  const char* mnemonic = StoreMnemonicOf(kind, sensor);
  const int row = mnemonic ? cmd_.Table().Find(mnemonic) : -1;
  if (row < 0)
    return cmd_.Fail(FailureKind::BadInput,
                     std::string("The camera has no store command for ") + InfoOf(kind).name);
  if (cmd_.SetInt(row, 0, timing_.storeTimeoutMs) == 1) return 1;
  return FailAfterExchange(cmd_, std::string("Failed storing ") + StoredName(kind) + " data");
}

}  // namespace kestrel
