#include "service/camera_id.h"

namespace kestrel {

namespace {
constexpr int kAckMs = 3000;
constexpr const char* kSaveFailed = "Couldn't save the CAMERA ID.";
}  // namespace

CameraIdBoxes InitCameraIdBoxes(Settings& settings) {
  if (settings.cameraId.size() != static_cast<size_t>(kCameraIdLength))
    settings.cameraId = kDefaultCameraId;
  CameraIdBoxes boxes;
  for (size_t i = 0; i < boxes.size(); ++i)
    boxes[i] = settings.cameraId.substr(i, 1);
  return boxes;
}

std::string CameraIdFromBoxes(const CameraIdBoxes& boxes) {
  std::string id;
  for (const std::string& box : boxes)
    if (!box.empty()) id.push_back(box[0]);
  return id;
}

int SaveCameraId(CCamCmd& cmd, const CameraIdBoxes& boxes) {
  // The camera's reason follows the headline on a line of its own.
  auto failed = [&cmd] {
    const Failure why = cmd.LastFailure();
    return cmd.Fail(why.kind, kSaveFailed + ("\n" + why.text), MsgIcon::Stop);
  };
  if (cmd.SetInt(cmd::ULCK, kCameraIdUnlockCode, ReplyTimeout(cmd.Config(), kAckMs)) != 1)
    return failed();
  const std::string id = CameraIdFromBoxes(boxes);
  // Kept even when the camera refuses it below, so the boxes offer it again.
  cmd.Config().cameraId = id;
  if (cmd.SetValue(cmd::ID, ParamValue::Text(id), ReplyTimeout(cmd.Config(), kAckMs)) != 1)
    return failed();
  return 1;
}

std::string CameraIdSavedText(const std::string& id) {
  return "Completed to save the CAMERA ID, " + id + ".";
}

}  // namespace kestrel
