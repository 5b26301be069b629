#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/failure.h"

namespace kestrel {

class CCamCmd;

// The camera's chromatic aberration table: 112 values, exchanged one per set or
// query of CAB2, in order. Files hold a header word and 16 rows of 7 values.
inline constexpr int kAberrationValues = 112;
inline constexpr int kAberrationColumns = 7;
inline constexpr int kAberrationRows = 16;
inline constexpr int32_t kAberrationMin = -32768;
inline constexpr int32_t kAberrationMax = 32767;

using AberrationTable = std::array<int32_t, kAberrationValues>;

// "Sens2,,,,,," then the rows, CR LF after each line.
std::string FormatAberrationText(const AberrationTable& table);
// Skips the header line, then takes exactly 16 lines of 7 comma-separated
// decimal numbers (blank lines, blanks around commas and a trailing comma
// allowed). "" and the table filled when the file holds exactly that;
// otherwise why not, and the table is left alone.
std::string ParseAberrationText(std::string_view text, AberrationTable& table);

// The camera operations return 1 on success; on failure 0, and the command
// object's LastFailure says why. The success messages are the caller's.

// Queries the camera's values in order into table: the reason and "Failed
// reading camera parameter" at the first failed query.
[[nodiscard]] int ReadAberrationTable(CCamCmd& cmd, AberrationTable& table, int timeoutMs = 3000);
// Reads the camera's table and writes the file: the reason and "Failed
// reading camera parameter", or "File open error". Success: kAberrationSavedText.
[[nodiscard]] int SaveAberrationFile(CCamCmd& cmd, const std::string& path, int timeoutMs = 3000);
inline constexpr const char* kAberrationSavedText = "Succeeded in writing";
// Reads and checks the whole file: "File open error" with the reason, the
// line and field that is not a number, or "Invalid parameter contains".
Failure ReadAberrationFile(const std::string& path, AberrationTable& table);
// Sends a checked table: the reason and "Failed writing camera parameter"
// (at the first set the camera does not take). Success: kAberrationLoadedText.
[[nodiscard]] int WriteAberrationTable(CCamCmd& cmd, const AberrationTable& table,
                                       int timeoutMs = 3000);
inline constexpr const char* kAberrationLoadedText = "Succeeded in reading";
// ReadAberrationFile, then WriteAberrationTable: nothing is sent unless the
// whole file is good.
[[nodiscard]] int LoadAberrationFile(CCamCmd& cmd, const std::string& path, int timeoutMs = 3000);

// The blemish columns of the panel: the user group and the factory group, one
// per sensor.
enum class BlemishColumn : int { User1 = 0, User2, Factory1, Factory2 };

// "Start": the column's detect command; on failure the reason and "Failed".
// Success: kBlemishDoneText.
[[nodiscard]] int BlemishDetect(CCamCmd& cmd, BlemishColumn column);
inline constexpr const char* kBlemishDoneText = "Completed";
// After a detection: the eight entries of the column's blemish list, read by
// selecting each index in turn (the index selected before is put back); an
// entry of 0 is free. On failure the reason and "Failed".
[[nodiscard]] int ReadBlemishList(CCamCmd& cmd, BlemishColumn column, std::vector<int>& positions);
// What a detection found, in words: "Sensor2 (factory list): the camera found
// 3 blemished pixels, at 37, 171 and 346."
std::string BlemishFoundText(BlemishColumn column, const std::vector<int>& positions);
// "R": queries the column's position; 1 with the value.
[[nodiscard]] int BlemishReadPosition(CCamCmd& cmd, BlemishColumn column, int& value);
// "W": sends the leading integer of the Pos text (anything else is 0), as
// BlemishDetect.
[[nodiscard]] int BlemishWritePosition(CCamCmd& cmd, BlemishColumn column, const std::string& text);

}  // namespace kestrel
