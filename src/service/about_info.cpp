#include "service/about_info.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace kestrel {

namespace {

constexpr int kQueryMs = 3000;

}  // namespace

std::string FormatVersion(int v) {
  return "  " + std::to_string(v / 1000) + "." + std::to_string(v % 1000 / 100) + "." +
         std::to_string(v % 100 / 10) + "." + std::to_string(v % 10);
}

int RefreshCameraData(CCamCmd& cmd, CameraInfo& info) {
  ParamValue v;
  auto query = [&](int row) {
    return cmd.QueryValue(row, v, ReplyTimeout(cmd.Config(), kQueryMs)) == 1;
  };
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

std::vector<std::string> ListHelpFiles(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    const std::string name = entry.path().filename().string();
    // "*.pdf" as the platform's file search matched it: any case of the extension.
    if (name.size() > 4 && entry.is_regular_file(ec)) {
      std::string ext = name.substr(name.size() - 4);
      std::transform(ext.begin(), ext.end(), ext.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      if (ext == ".pdf") names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

int SaveUserId(CCamCmd& cmd, const std::string& userId) {
  static constexpr const char* kFailed = "Couldn't write the User ID.";
  if (std::string why = CheckTextValue(cmd.Table(), cmd::UD, userId); !why.empty())
    return cmd.Fail(FailureKind::BadInput, kFailed + ("\n" + why), MsgIcon::Stop);
  if (cmd.SetValue(cmd::UD, ParamValue::Text(userId), ReplyTimeout(cmd.Config(), kQueryMs)) != 1) {
    const Failure why = cmd.LastFailure();
    return cmd.Fail(why.kind, kFailed + ("\n" + why.text), MsgIcon::Stop);
  }
  return 1;
}

std::string UserIdSavedText(const std::string& userId) {
  return "Writing the User ID \"" + userId + "\" has been completed.";
}

}  // namespace kestrel
