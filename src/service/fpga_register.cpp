#include "service/fpga_register.h"

#include "base/text_scan.h"

namespace kestrel {

namespace {

constexpr int kQueryMs = 3000;

// The set that chooses what the query after it reads. Its "COMPLETE" is
// awaited but a silence is not judged (the query tells); a rejection or a lost
// device ends the read, as the query would read a stale value.
int SendSelection(CCamCmd& cmd, const std::string& line, int timeoutMs) {
  cmd.ClearReceive();
  cmd.SendCommand(line, 1);
  if (cmd.WaitComplete(ReplyTimeout(cmd.Config(), timeoutMs), 1) == 1) return 1;
  return cmd.LastFailure().kind == FailureKind::NoAnswer ? 1 : 0;
}

}  // namespace

int ReadFpgaRegister(CCamCmd& cmd, const std::string& offsetText, std::string& dataHex) {
  if (!SendSelection(cmd, "FPGARD=&H" + offsetText + "\r\n", 1000)) return 0;
  ParamValue value;
  if (cmd.QueryValue(cmd::FPGARD, value, ReplyTimeout(cmd.Config(), kQueryMs)) != 1) return 0;
  dataHex = ToHex(static_cast<uint32_t>(value.intValue));
  return 1;
}

std::string FpgaWriteLine(const std::string& offsetText, const std::string& dataText) {
  return "FPGAWR=&H" + offsetText + ", &H" + dataText + "\r\n";
}

void WriteFpgaRegister(CCamCmd& cmd, const std::string& offsetText, const std::string& dataText) {
  cmd.SendCommand(FpgaWriteLine(offsetText, dataText), 1);
}

int ReadSampleAverage(CCamCmd& cmd, int sensor, std::string& text) {
  const bool second = sensor == 2;
  if (!SendSelection(cmd, second ? "ACC2S=1\r\n" : "ACC1S=1\r\n", kQueryMs)) return 0;
  int value = 0;
  if (cmd.QueryInt(second ? cmd::ACC2S : cmd::ACC1S, value, ReplyTimeout(cmd.Config(), kQueryMs)) !=
      1)
    return 0;
  text = std::to_string(value);
  return 1;
}

}  // namespace kestrel
