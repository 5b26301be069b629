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
  UserInterface& ui = cmd.Ui();
  if (ui.MessageBox("Are you sure you want to save the CAMERA ID?", MsgIcon::Question,
                    MsgButtons::YesNo) != MsgAnswer::Yes)
    return 0;
  if (cmd.SetInt(cmd::ULCK, kCameraIdUnlockCode, ReplyTimeout(cmd.Config(), kAckMs)) != 1) {
    ui.MessageBox(kSaveFailed, MsgIcon::Stop);
    return 0;
  }
  const std::string id = CameraIdFromBoxes(boxes);
  // Kept even when the camera refuses it below, so the boxes offer it again.
  cmd.Config().cameraId = id;
  if (cmd.SetValue(cmd::ID, ParamValue::Text(id), ReplyTimeout(cmd.Config(), kAckMs)) != 1) {
    ui.MessageBox(kSaveFailed, MsgIcon::Stop);
    return 0;
  }
  ui.MessageBox("Completed to save the CAMERA ID, " + id + ".", MsgIcon::Information);
  return 1;
}

}  // namespace kestrel
