// read-all: every parameter of the main panel, read as the panel reads it and
// printed in the setting-file syntax, so the output can be replayed.
#include <iostream>

#include "ctl.h"
#include "panel/binding_table.h"
#include "panel/connection.h"
#include "panel/headless_view.h"

namespace kestrel::ctl {
namespace {

int ReadAll(Context& ctx, const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--factory") {
      ctx.settings.operatingMode = kModeFactory;
    } else {
      PrintError("read-all takes only --factory");
      return kUsage;
    }
  }
  if (!ctx.portOverride.empty()) {
    ctx.settings.serialMode = 0;
    ctx.settings.commDevice = ctx.portOverride;
  }
  ctx.cmd = std::make_unique<CCamCmd>(ctx.settings, ctx.port, ctx.ui);
  // The panel's own start-up: 9600 bit/s, else 115200, then the switch to
  // 115200. The settings are not saved, so the speed found is for this run.
  Connection connection(*ctx.cmd);
  if (!connection.NegotiateAndConnect()) {
    PrintError("no camera answered at 9600 or 115200 bit/s");
    return kFailed;
  }
  BindingTable table(*ctx.cmd);
  HeadlessBindingView view(table);
  table.AttachView(&view);
  const int failed = table.ReadAllParams();
  for (const std::string& line : table.SettingLines())
    std::cout << line << '\n';
  std::cout.flush();
  if (failed > 0) {
    PrintError(std::to_string(failed) +
               " parameters could not be read; their lines hold the panel's start values");
    return kFailed;
  }
  return kOk;
}

const Registrar kRegistrar{
    {"read-all", "read-all [--factory]        read every panel parameter, print setting-file lines",
     ReadAll},
};

}  // namespace
}  // namespace kestrel::ctl
