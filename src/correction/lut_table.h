#pragma once

#include <string>
#include <string_view>

#include "correction/lut_spline.h"

namespace kestrel {

class CCamCmd;
class UserInterface;

// The LUT of a channel (0 = Ch1/Sensor1, 1 = Ch2/Sensor2) travels entry by
// entry through LUTD1 or LUTD2; the camera keeps the position, no index is sent.

// Queries the 256 entries in order; a failed query ends the loop silently with
// the entries read so far stored. Values are limited to 0..4095. Returns the
// number of entries read (256 when complete).
int ReadLutTable(CCamCmd& cmd, int channel, LutTable& table, int timeoutMs = 3000);
// Sets the 256 entries in order, stopping at the first failed set (which the
// set has reported). 1 when all were accepted.
int WriteLutTable(CCamCmd& cmd, int channel, const LutTable& table, int timeoutMs = 3000);

// Gamma data file: "GammaData", then the 256 entries one per line, CR LF.
std::string FormatGammaText(const LutTable& table);

struct GammaParseResult {
  int lines = 0;             // data lines stored
  bool tooMany = false;      // a 257th data line was met
  int invalidLine = -1;      // zero-based data line of the first value above 4095, or -1
  int32_t invalidValue = 0;  // that value as read
};
// Skips the first line, then takes the decimal digits of each line together as
// one value (every other character is ignored, a line without digits is 0).
// Values above 4095 are stored as 4095. Lines are taken 126 characters at a time.
// Entries after the last line keep what they held.
GammaParseResult ParseGammaText(std::string_view text, LutTable& table);

// Both show the path followed by "\nCouldn't open this file" in an error box
// when the file cannot be opened. Load also reports the first value above 4095
// ("Invalid data value: Line(%d) : Value(%d)") and fails with "Too many data".
int LoadGammaFile(UserInterface& ui, const std::string& path, LutTable& table);
int SaveGammaFile(UserInterface& ui, const std::string& path, const LutTable& table);

}  // namespace kestrel
