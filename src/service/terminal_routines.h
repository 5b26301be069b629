#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/cam_cmd.h"
#include "util/text_file.h"

namespace kestrel {

// The terminal's factory routines for the per-pixel black and gain correction
// data: write a table from a text file, read it back to a CSV file, and run the
// camera's correction then read the video and correction memory by dumps.
// They take the file the user already chose; choosing it is the window's job.

enum class PixelCorrectionKind { Black, Gain };
enum class PixelStoreArea { Factory, User };

inline constexpr int kTerminalPixels = 2048;

// Per-colour tables, R, G, B; entries a file or the camera did not give are 0.
using ColourTables = std::array<std::vector<int32_t>, 3>;

// The text file of WriteCorrectionData: one pixel a line, "R G B" as decimal
// integers separated by tabs or blanks. At most 2048 lines are read; returns
// their count. A number that does not parse is 0, and so are the numbers of
// that line after it.
int ReadCorrectionText(TextLineReader& reader, ColourTables& tables);

// The value a pixel query reply carries. A reply that resolves to a table
// entry gives its value; the replies of these routines ("PBDR=5,-3") do not,
// so the number after the last comma is taken, or after the "=" when there is
// no comma. A reply with neither gives 0.
int32_t CorrectionReplyValue(const CCamCmd& cmd, const std::string& line);

// A word read from the correction memory: black keeps the low 8 bits as a
// signed 8-bit number, gain keeps the word.
int32_t CorrectionMemoryValue(PixelCorrectionKind kind, uint32_t word);

// One data line of the video file for pixel k.
std::string VideoFileLine(PixelCorrectionKind kind, int k, const ColourTables& video,
                          const ColourTables& correction);

// The routines. Each returns 1 on success and 0 on failure, the failure
// already shown to the user.
int WriteCorrectionData(CCamCmd& cmd, PixelCorrectionKind kind, PixelStoreArea area,
                        const std::string& path);
int ReadCorrectionData(CCamCmd& cmd, PixelCorrectionKind kind, const std::string& path);
int ReadVideoData(CCamCmd& cmd, PixelCorrectionKind kind, const std::string& path);

}  // namespace kestrel
