#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/cam_cmd.h"

namespace kestrel {

// The AFE register editor beneath its window: the selector and address lists,
// the register write and the 128-row register table file.

inline constexpr int kAfeSelectorCount = 19;
inline constexpr int kAfeAddressCount = 165;  // 0x40 .. 0xE4
inline constexpr int kAfeFirstAddress = 0x40;
inline constexpr int kAfeTableRows = 128;

// "Tap1" .. "Tap16" (the fourth spelled "Tqp4", as the camera's documentation
// and existing setups know it), "Sensor1", "Sensor2", "ALL".
const std::array<std::string, kAfeSelectorCount>& AfeSelectorItems();
// "0x40 STANDBYA" .. "0xE4 SCK"; item i is address 0x40 + i.
const std::array<std::string, kAfeAddressCount>& AfeAddressItems();

// The AFE chips (bit c for chip c) and channels (1, 2, or 3 for both) a
// selector item addresses. Any index outside the taps and sensors means all.
struct AfeTarget {
  int chipMask = 0xFF;
  int channel = 3;
};
AfeTarget AfeSelectorTarget(int selectorIndex);

// The per-tap sample positions the window hosts as bound parameters of the
// panel: tap 1..16 -> "SHDL<tap>" (SHDLOC) and "SHPL<tap>" (SHPLOC).
std::string ShdlocMnemonic(int tap);
std::string ShplocMnemonic(int tap);

// The value of the "AFEW" set: "<mask>, <address>, <data>, <channel>" with
// CR LF; the data text goes as typed.
std::string AfeWriteValue(int selectorIndex, int addressIndex, const std::string& dataText);
// Sends it with the set transaction; 1 on "COMPLETE". An empty data text, or
// one with a comma or a line break, is refused (BadInput) and nothing is sent.
[[nodiscard]] int WriteAfeRegister(CCamCmd& cmd, int selectorIndex, int addressIndex,
                                   const std::string& dataText);

// The register table file: one row a line, "0x1F,0x20,0x3" (R, G, B). A value
// the camera did not give is written as kAfeMissingValue.
inline constexpr const char* kAfeMissingValue = "----";

// The raw lines a register file loads, in order: for row i, "AFR=i,R",
// "AFG=i,G", "AFB=i,B" (hexadecimal). The whole text is checked first: 1 to
// 128 rows (blank lines at the end aside), each of exactly three "0x" words of
// at most 32 bits. "" when it is good, else the line and field that is not.
std::string RegisterFileCommands(std::string_view text, std::vector<std::string>& lines);

// The value of a register query reply "AFR=1F": the first hexadecimal number
// after "<stem>="; for "AFG" and "AFB" at most four digits are read.
bool ParseAfeReply(std::string_view line, std::string_view stem, uint32_t& out);

// Load: reads and checks the whole file, then sends its rows, each line
// waiting up to 3 s for its "COMPLETE" (SendAcknowledgedLines).
// Save: queries the 128 rows and writes the file; registers that did not
// answer are written as gaps, counted in the failure, and the result is 0.
// 1 on success, else 0 with the reason as the command object's LastFailure.
[[nodiscard]] int LoadRegisterFile(CCamCmd& cmd, const std::string& path);
[[nodiscard]] int SaveRegisterFile(CCamCmd& cmd, const std::string& path);

}  // namespace kestrel
