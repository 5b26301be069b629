#include "service/about_info.h"

namespace kestrel {

namespace {

constexpr int kQueryMs = 3000;

bool HasControlCharacter(const std::string& text) {
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) return true;
  }
  return false;
}

}  // namespace

std::string FormatVersion(int v) {
  return "  " + std::to_string(v / 1000) + "." + std::to_string(v % 1000 / 100) + "." +
         std::to_string(v % 100 / 10) + "." + std::to_string(v % 10);
}

int RefreshCameraData(CCamCmd& cmd, CameraInfo& info) {
  ParamValue v;
  auto query = [&](int row) { return cmd.QueryValue(row, v, kQueryMs, 0, 1) == 1; };
  if (!query(cmd::MD)) return 0;
  info.modelName = v.textValue;
  if (!query(cmd::ID)) return 1;
  info.cameraId = v.textValue;
  if (!query(cmd::VN)) return 2;
  info.firmwareVersion = FormatVersion(v.intValue);
  if (!query(cmd::PV)) return 3;
  info.fpga2Version = FormatVersion(v.intValue);
  if (!query(cmd::PVFE)) return 4;
  info.fpga1Version = FormatVersion(v.intValue);
  if (!query(cmd::UD)) return 5;
  info.userId = v.textValue;
  return 6;
}

int SaveUserId(CCamCmd& cmd, const std::string& userId) {
  UserInterface& ui = cmd.Ui();
  if (userId.size() > kUserIdMax || HasControlCharacter(userId) ||
      cmd.SetValue(cmd::UD, ParamValue::Text(userId), kQueryMs) != 1) {
    ui.MessageBox("Couldn't write the User ID.", MsgIcon::Stop);
    return 0;
  }
  if (cmd.Config().offline != 1)
    ui.MessageBox("Writing the User ID \"" + userId + "\" has been completed.",
                  MsgIcon::Information);
  return 1;
}

}  // namespace kestrel
