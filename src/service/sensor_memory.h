#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/cam_cmd.h"

namespace kestrel {

// The sensor memory editor beneath its window: the "Sensor" and "Trigger"
// switches and the load and save of one memory block.

inline constexpr int kSensorMemoryColours = 4;
inline constexpr int kSensorMemoryBlocks = 19;
inline constexpr int kSensorMemoryWords = 1024;  // words a save writes
inline constexpr int kSensorMemoryGroup = 8;     // words a load line carries

// "ALL", "RED", "GREEN", "BLUE" and their command stems "AMM", "AMR", "AMG", "AMB".
const std::array<std::string, kSensorMemoryColours>& SensorMemoryColourItems();
std::string SensorMemoryStem(int colourIndex);
// "MEMOFF0" .. "MEMPXPRNU3"; block b starts at b * 0x800.
const std::array<std::string, kSensorMemoryBlocks>& SensorMemoryBlockItems();
uint32_t SensorMemoryBase(int blockIndex);

// The memory file: one word a line, "0x1F". A word the camera did not give is
// saved as kSensorMemoryMissing.
inline constexpr const char* kSensorMemoryMissing = "----";
// Words a block holds: the blocks start 0x800 words apart.
inline constexpr int kSensorMemoryBlockWords = 0x800;

// The raw lines a file loads: "<stem>=<addr>,<w0>,...,<w7>" (hexadecimal) for
// every group of eight lines from the base address up. The whole text is
// checked first: whole groups of eight "0x" words of at most 32 bits, at most
// one block (blank lines at the end aside). "" when it is good, else the line
// and field that is not.
std::string SensorMemoryCommands(std::string_view text, const std::string& stem, uint32_t base,
                                 std::vector<std::string>& lines);

// The word of a query reply "<stem>=1F".
bool ParseSensorMemoryReply(std::string_view line, std::string_view stem, uint32_t& out);

// Load reads and checks the whole file, then sends its groups, each waiting
// up to 3 s for its "COMPLETE" (SendAcknowledgedLines).
// Save queries the block's 1024 words and writes the file; words that did not
// arrive are written as gaps, counted in the failure, and the result is 0.
// An index outside the lists is refused (BadInput) with nothing sent.
// 1 on success, else 0 with the reason as the command object's LastFailure.
[[nodiscard]] int LoadSensorMemory(CCamCmd& cmd, int colourIndex, int blockIndex,
                                   const std::string& path);
[[nodiscard]] int SaveSensorMemory(CCamCmd& cmd, int colourIndex, int blockIndex,
                                   const std::string& path);

// The switches: "SNOF" (Sensor) and "STOF" (Trigger), 0 OFF and 1 ON.
enum class SensorSwitch { Sensor, Trigger };
[[nodiscard]] int SetSensorSwitch(CCamCmd& cmd, SensorSwitch which, int on);
// Refresh when the window is shown: reads "SNOF", and only when that answered
// also "STOF". A value that could not be read keeps what it held. 1 when both
// answered.
[[nodiscard]] int RefreshSensorSwitches(CCamCmd& cmd, int& sensor, int& trigger);

}  // namespace kestrel
