#include "service/fpga_register.h"

#include "base/text_scan.h"

namespace kestrel {

namespace {
constexpr int kQueryMs = 3000;
}

int ReadFpgaRegister(CCamCmd& cmd, const std::string& offsetText, std::string& dataHex) {
  cmd.ClearReceive();
  cmd.SendCommand("FPGARD=&H" + offsetText + "\r\n", 1);
  cmd.WaitComplete(ReplyTimeout(cmd.Config(), 1000), 1);
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
  cmd.ClearReceive();
  cmd.SendCommand(second ? "ACC2S=1\r\n" : "ACC1S=1\r\n", 1);
  cmd.WaitComplete(ReplyTimeout(cmd.Config(), kQueryMs), 1);
  int value = 0;
  if (cmd.QueryInt(second ? cmd::ACC2S : cmd::ACC1S, value, ReplyTimeout(cmd.Config(), kQueryMs)) !=
      1)
    return 0;
  text = std::to_string(value);
  return 1;
}

}  // namespace kestrel
