#pragma once

#include <string>
#include <string_view>

#include "base/failure.h"
#include "correction/lut_spline.h"

namespace kestrel {

class CCamCmd;

// The LUT of a channel (0 = Ch1/Sensor1, 1 = Ch2/Sensor2) travels entry by
// entry through LUTD1 or LUTD2; the camera keeps the position, no index is sent.

// Queries the 256 entries in order; a failed query ends the loop with the
// entries read so far stored (the command object's LastFailure says why).
// Values are limited to 0..4095. Returns the number of entries read (256 when
// complete).
[[nodiscard]] int ReadLutTable(CCamCmd& cmd, int channel, LutTable& table, int timeoutMs = 3000);
// Sets the 256 entries in order, stopping at the first failed set. 1 when all
// were accepted; else 0 and the command object's LastFailure.
[[nodiscard]] int WriteLutTable(CCamCmd& cmd, int channel, const LutTable& table,
                                int timeoutMs = 3000);

// Gamma data file: "GammaData", then the 256 entries one per line, CR LF.
std::string FormatGammaText(const LutTable& table);

// Checks a whole gamma file: the first line is the header, whatever it
// holds; then exactly 256 lines of one whole decimal number each, 0..4095
// (blank lines are skipped, LF or CR LF). "" and the table filled when it is
// good; otherwise why not, in the file's words: "Too many data" for a 257th
// value, "Invalid data value: Line(%d) : Value(%d)" (zero-based data line) for
// the first number above 4095, or the line and field that is not a number,
// and the table is left alone.
std::string ParseGammaText(std::string_view text, LutTable& table);

// The path followed by "\nCouldn't open this file" and the reason (stop icon)
// when the file cannot be read or written. Load reads and checks the whole
// file first and fails with ParseGammaText's reason. No failure when all went
// well.
Failure LoadGammaFile(const std::string& path, LutTable& table);
Failure SaveGammaFile(const std::string& path, const LutTable& table);

}  // namespace kestrel
