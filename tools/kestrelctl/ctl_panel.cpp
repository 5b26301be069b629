// read-all: every parameter of the main panel, read as the panel reads it and
// printed in the setting-file syntax, so the output can be replayed.
#include <iostream>

#include "ctl.h"
#include "panel/binding_table.h"
#include "panel/connection.h"
#include "panel/headless_view.h"
#include "panel/setting_file.h"

namespace kestrel::ctl {
namespace {

int ReadAll(Context& ctx, const std::vector<std::string>& args) {
  std::string path;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--factory") {
      ctx.settings.operatingMode = kModeFactory;
    } else if (args[i] == "-o" && i + 1 < args.size()) {
      path = args[++i];
    } else {
      PrintError("read-all takes --factory and -o FILE.cam");
      return kUsage;
    }
  }
  if (!ctx.Prepare()) return kFailed;
  // The panel's own start-up: find the camera's speed, then move it to
  // 115200. The speed in use is remembered for the next run, as the panel does.
  Connection connection(*ctx.cmd);
  const int shown = ctx.ui.shown;
  const bool connected = connection.NegotiateAndConnect();
  ctx.RememberBaud();
  if (!connected) {
    if (ctx.ui.shown == shown) PrintError(connection.Failure());
    return kFailed;
  }
  BindingTable table(*ctx.cmd);
  HeadlessBindingView view(table);
  table.AttachView(&view);
  const int failed = table.ReadAllParams();
  const std::vector<BindingValue> values = BindingValues(table);
  if (ctx.cmd->LinkLost()) PrintError(ctx.cmd->LostText());
  if (failed > 0) {
    // Start values in place of the camera's would overwrite them on replay.
    PrintError(std::to_string(failed) + " parameters could not be read; " +
               (path.empty() ? std::string("their lines hold the panel's start values")
                             : path + " was not written"));
    if (!path.empty()) return kFailed;
  }
  if (!path.empty())
    return SaveSettingFile(path, *ctx.cmd, values, ctx.settings.operatingMode, ctx.ui) ? kOk
                                                                                       : kFailed;
  for (const std::string& line : SettingFileLines(*ctx.cmd, values, ctx.settings.operatingMode))
    std::cout << line << '\n';
  std::cout.flush();
  return failed > 0 ? kFailed : kOk;
}

const Registrar kRegistrar{
    {"read-all",
     "read-all [--factory] [-o FILE.cam]  read every panel parameter as setting-file lines "
     "(to stdout, or into the file)",
     ReadAll},
};

}  // namespace
}  // namespace kestrel::ctl
