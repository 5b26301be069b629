#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <string_view>
#include "protocol/cam_cmd.h"

namespace kestrel {

// The terminal's factory routines for the per-pixel black and gain correction
// data: write a table from a text file, read it back to a CSV file, and run the
// camera's correction then read the video and correction memory by dumps.
// They take the file the user already chose; choosing it is the window's job.

enum class PixelCorrectionKind { Black, Gain };
enum class PixelStoreArea { Factory, User };

inline constexpr int kTerminalPixels = 2048;

// Per-colour tables, R, G, B.
using ColourTables = std::array<std::vector<int32_t>, 3>;

// The text file of WriteCorrectionData: one pixel a line, "R G B" as decimal
// integers separated by tabs or blanks. The whole text is checked: exactly
// 2048 lines (blank lines at the end aside), each of exactly three whole
// numbers within 32 bits. "" and the tables filled when it is good, else the
// line and field that is not.
std::string ParseCorrectionText(std::string_view text, ColourTables& tables);

// A word read from the correction memory: black keeps the low 8 bits as a
// signed 8-bit number, gain keeps the word.
int32_t CorrectionMemoryValue(PixelCorrectionKind kind, uint32_t word);

// One data line of the video file for pixel k.
std::string VideoFileLine(PixelCorrectionKind kind, int k, const ColourTables& video,
                          const ColourTables& correction);

// The routines. Each owns the link while it runs and stops between two
// commands when the user cancels; 1 on success, else 0 with the reason as the
// command object's LastFailure. A write checks the whole file before the first
// pixel and stops at the first pixel line the camera does not acknowledge; a
// read writes its file only when every value arrived. ReadCorrectionData tells
// `reporter` of each colour it gives up on and goes on with the next.
[[nodiscard]] int WriteCorrectionData(CCamCmd& cmd, PixelCorrectionKind kind, PixelStoreArea area,
                                      const std::string& path);
[[nodiscard]] int ReadCorrectionData(CCamCmd& cmd, Reporter& reporter, PixelCorrectionKind kind,
                                     const std::string& path);
[[nodiscard]] int ReadVideoData(CCamCmd& cmd, PixelCorrectionKind kind, const std::string& path);

}  // namespace kestrel
