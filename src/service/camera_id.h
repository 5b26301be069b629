#pragma once

#include <array>
#include <string>

#include "base/settings.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

// The camera ID dialog beneath its window: ten one-character boxes, the
// unlock and the write.

inline constexpr int kCameraIdLength = 10;
inline constexpr const char* kDefaultCameraId = "A000000000";
inline constexpr int kCameraIdUnlockCode = 6158273;

using CameraIdBoxes = std::array<std::string, kCameraIdLength>;

// When the window is created: a "Camera Id" setting that is not exactly ten
// characters becomes "A000000000"; its characters fill the boxes.
CameraIdBoxes InitCameraIdBoxes(Settings& settings);
// The first character of each box, left to right; an empty box gives nothing.
std::string CameraIdFromBoxes(const CameraIdBoxes& boxes);

// "Set": unlocks ("ULCK" with the unlock code), stores the ID from the boxes
// in the "Camera Id" setting and writes it with "ID". 1 on success, else 0
// with "Couldn't save the CAMERA ID." and the camera's reason as LastFailure.
// The window asks first (a write into the camera's flash) and tells
// CameraIdSavedText after.
[[nodiscard]] int SaveCameraId(CCamCmd& cmd, const CameraIdBoxes& boxes);
std::string CameraIdSavedText(const std::string& id);

}  // namespace kestrel
