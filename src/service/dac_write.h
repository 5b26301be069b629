#pragma once

#include <array>
#include <string>

#include "protocol/cam_cmd.h"

namespace kestrel {

// The DAC dialog beneath its window: the AD5590 and BH2220 writes and the
// pairing of the Black Offset rows.

inline constexpr int kAd5590Functions = 9;
inline constexpr int kDacChannels = 16;

// "Write to Input Register n" .. "Set up internal REF register", index 0..8.
const std::array<std::string, kAd5590Functions>& Ad5590FunctionItems();
// "Sensor1", "Sensor2"; "DAC0" .. "DAC15".
const std::array<std::string, 2>& DacSensorItems();
const std::array<std::string, kDacChannels>& DacChannelItems();

// "DACACW" value "<function>,<sensor>,<channel>,<data>" and "DACBW" value
// "<data>", each with CR LF; data texts go as typed.
std::string Ad5590WriteValue(int function, int sensor, int channel, const std::string& dataText);
std::string Bh2220WriteValue(const std::string& dataText);
// 1 on "COMPLETE", else 0 with the reason as LastFailure.
[[nodiscard]] int WriteAd5590(CCamCmd& cmd, int function, int sensor, int channel,
                              const std::string& dataText);
[[nodiscard]] int WriteBh2220(CCamCmd& cmd, const std::string& dataText);

// Black Offset values: column 1 or 2 (sensor), row 0..15 (DAC channel), the
// command "B<column>O<row>F". Rows come in pairs sharing one DAC (0 and 1,
// 2 and 3, ...): after a row is sent, its partner is read back. Only even rows
// are edited.
std::string BlackOffsetMnemonic(int column, int row);
int BlackOffsetPartnerRow(int row);
// The partner's mnemonic of a Black Offset mnemonic ("B1O4F" -> "B1O5F");
// empty for any other mnemonic.
std::string BlackOffsetPartner(const std::string& mnemonic);
bool BlackOffsetRowEditable(int row);

}  // namespace kestrel
