#pragma once

#include <string>

#include "protocol/cam_cmd.h"

namespace kestrel {

// The FPGA register dialog beneath its window.

// Read: sends "FPGARD=&H<offset>" (its "COMPLETE" awaited 1 s; a silence is
// not judged, a rejection ends the read), then queries "FPGARD". On success
// `dataHex` becomes the value in uppercase hexadecimal; otherwise it is left
// alone. 1 when the query answered, else 0 with the reason as LastFailure.
[[nodiscard]] int ReadFpgaRegister(CCamCmd& cmd, const std::string& offsetText,
                                   std::string& dataHex);
// Write: sends "FPGAWR=&H<offset>, &H<data>" and waits for nothing.
// "FPGAWR=&H<offset>, &H<data>" with CR LF.
std::string FpgaWriteLine(const std::string& offsetText, const std::string& dataText);
void WriteFpgaRegister(CCamCmd& cmd, const std::string& offsetText, const std::string& dataText);

// The accumulated sample average of sensor 1 or 2: "ACC<n>S=1" (its
// "COMPLETE" awaited 3 s, judged as the read's), then the query of "ACC<n>S".
// On success `text` becomes the value in decimal; 1 when the query answered.
[[nodiscard]] int ReadSampleAverage(CCamCmd& cmd, int sensor, std::string& text);

}  // namespace kestrel
