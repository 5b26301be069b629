#pragma once

#include <functional>
#include <string>

#include "base/text_file.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

// What a save from the camera got: how many values it asked for and how many
// of them did not arrive (or arrived garbled).
struct SavedValues {
  int values = 0;
  int gaps = 0;
};

// Writes the lines `fill` produces from the camera into the file at `path`.
// The file is created before anything is sent (nothing is sent when it cannot
// be); the save owns the link and shows the busy cursor while `fill` runs.
// `fill` returns 1, or 0 with its failure recorded on the command object and
// then no file is written. A file with gaps stays written, as the formats allow
// them, but the save fails with "<path>\n<gaps> of <values> <gapText>".
// 1 when every value arrived and the file was written.
using FillFile = std::function<int(AtomicTextFile& file, SavedValues& got)>;
[[nodiscard]] int SaveCameraFile(CCamCmd& cmd, const std::string& path, const FillFile& fill,
                                 const char* gapText);

// The gap text of the files whose missing values read "----".
inline constexpr const char* kDashGaps =
    "values did not arrive; the file holds \"----\" in their place.";

}  // namespace kestrel
