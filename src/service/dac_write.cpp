#include "service/dac_write.h"

namespace kestrel {

namespace {
constexpr int kAckMs = 3000;
}

const std::array<std::string, kAd5590Functions>& Ad5590FunctionItems() {
  static const std::array<std::string, kAd5590Functions> items = {
      "Write to Input Register n",
      "Update DAC Register n",
      "Write to Input Register n, update all",
      "Write to and update DAC Channel n",
      "Power down/power up DAC",
      "Load clear code register",
      "Load LDAC register",
      "Reset (power-on reset)",
      "Set up internal REF register"};
  return items;
}

const std::array<std::string, 2>& DacSensorItems() {
  static const std::array<std::string, 2> items = {"Sensor1", "Sensor2"};
  return items;
}

const std::array<std::string, kDacChannels>& DacChannelItems() {
  static const std::array<std::string, kDacChannels> items = [] {
    std::array<std::string, kDacChannels> a;
    for (int k = 0; k < kDacChannels; ++k)
      a[static_cast<size_t>(k)] = "DAC" + std::to_string(k);
    return a;
  }();
  return items;
}

std::string Ad5590WriteValue(int function, int sensor, int channel, const std::string& dataText) {
  return std::to_string(function) + "," + std::to_string(sensor) + "," + std::to_string(channel) +
         "," + dataText + "\r\n";
}

std::string Bh2220WriteValue(const std::string& dataText) {
  return dataText + "\r\n";
}

int WriteAd5590(CCamCmd& cmd, int function, int sensor, int channel, const std::string& dataText) {
  return cmd.SetValue(cmd::DACACW,
                      ParamValue::Text(Ad5590WriteValue(function, sensor, channel, dataText)),
                      ReplyTimeout(cmd.Config(), kAckMs));
}

int WriteBh2220(CCamCmd& cmd, const std::string& dataText) {
  return cmd.SetValue(cmd::DACBW, ParamValue::Text(Bh2220WriteValue(dataText)),
                      ReplyTimeout(cmd.Config(), kAckMs));
}

std::string BlackOffsetMnemonic(int column, int row) {
  return "B" + std::to_string(column) + "O" + std::to_string(row) + "F";
}

int BlackOffsetPartnerRow(int row) {
  return row ^ 1;
}

std::string BlackOffsetPartner(const std::string& mnemonic) {
  for (int column = 1; column <= 2; ++column)
    for (int row = 0; row < kDacChannels; ++row)
      if (mnemonic == BlackOffsetMnemonic(column, row))
        return BlackOffsetMnemonic(column, BlackOffsetPartnerRow(row));
  return {};
}

bool BlackOffsetRowEditable(int row) {
  return row >= 0 && row < kDacChannels && row % 2 == 0;
}

}  // namespace kestrel
