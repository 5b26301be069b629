#pragma once

#include <string>
#include <vector>

#include "protocol/cam_cmd.h"
#include "protocol/text_value.h"

namespace kestrel {

// The About box beneath its window: the camera's fields and the user ID.

inline constexpr const char* kProductName = "HX-9302 Kestrel";
inline constexpr const char* kProgramVersion = "0.0.5.6";

// A version word as shown: 1234 -> "  1.2.3.4" (thousands, hundreds, tens and
// units, with two leading blanks).
std::string FormatVersion(int version);

// The camera's fields. RefreshCameraData reads them in the order model name,
// camera ID, firmware, FPGA2, FPGA1, user ID and stops at the first query that
// fails; the fields after it keep what they held. Returns the number read (6
// when all answered).
struct CameraInfo {
  std::string modelName;
  std::string cameraId;
  std::string firmwareVersion;
  std::string fpga1Version;
  std::string fpga2Version;
  std::string userId;
};
int RefreshCameraData(CCamCmd& cmd, CameraInfo& info);

// The help documents offered: the names of the "*.pdf" files in `folder`
// (the current directory for the About box), in name order.
std::vector<std::string> ListHelpFiles(const std::string& folder);

// Writes the user ID into the camera. An ID longer than 16 characters, or one
// holding a control character that would break the command line, is refused
// without traffic. 1 on success, else 0 with "Couldn't write the User ID." and
// the camera's reason as LastFailure.
[[nodiscard]] int SaveUserId(CCamCmd& cmd, const std::string& userId);
// What the person is told after a save (nothing while offline).
std::string UserIdSavedText(const std::string& userId);

}  // namespace kestrel
