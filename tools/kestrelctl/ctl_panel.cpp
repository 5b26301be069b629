// read-all: every parameter of the main panel, read as the panel reads it and
// printed in the setting-file syntax, so the output can be replayed.
#include <algorithm>
#include <iostream>

#include "ctl.h"
#include "panel/binding_table.h"
#include "panel/connection.h"
#include "panel/headless_view.h"
#include "panel/setting_file.h"
#include "panel/tool_session.h"

namespace kestrel::ctl {
namespace {

// The values a setting file of this mode holds, keyed by mnemonic; the values
// of an indexed command form an array in index order.
JsonWriter ValuesJson(const CCamCmd& cmd, const std::vector<BindingValue>& values, int mode) {
  const std::vector<ValueGroup> groups = GroupFileValues(cmd.Table(), values, mode);
  JsonWriter w;
  w.BeginObject();
  for (const ValueGroup& g : groups) {
    w.Key(g.mnemonic);
    if (g.indexed) w.BeginArray();
    for (const BindingValue* b : g.members) {
      if (b)
        WriteValue(w, cmd.Table()[b->cmdIndex], b->value);
      else
        w.Null();
    }
    if (g.indexed) w.EndArray();
  }
  return w.EndObject();
}

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
  // 115200 where MayMoveCameraSpeed allows. The speed in use is remembered
  // for the next run, as the panel does.
  Connection connection(*ctx.cmd);
  const bool connected = connection.NegotiateAndConnect();
  ctx.RememberBaud();
  if (!connected) {
    // The system's words when there are any, else the speeds tried.
    if (connection.LastFailure()) return Failed(connection.LastFailure());
    PrintError(connection.Failure());
    return kFailed;
  }
  if (!connection.Note().empty())
    ctx.ui.Report(connection.Note(), MsgIcon::Information, MsgButtons::Ok, {});
  BindingTable table(*ctx.cmd);
  table.SetReporter(ctx.ui);
  HeadlessBindingView view(table);
  table.AttachView(&view);
  table.ReadAllParams();
  if (StopSignal()) {
    PrintError("Stopped while reading the parameters; nothing was written.");
    return kFailed;
  }
  const std::vector<BindingValue> values = BindingValues(table);
  if (ctx.cmd->LinkLost()) PrintError(ctx.cmd->LostText());
  // Rows whose value is not the camera's, or is one a setting file cannot
  // carry back (apply would refuse the line), in the file's rows only.
  std::vector<std::string> problems;
  for (const BindingValue& b : values)
    if (!b.readProblem.empty() && CommandTable::Valid(b.cmdIndex) &&
        (!b.factory || ctx.settings.operatingMode == kModeFactory) &&
        !AlwaysSkippedInFiles(b.ctrlId))
      problems.push_back(b.readProblem);
  if (!problems.empty()) {
    std::string what = table.ReadSummary() + ":\n" + ProblemSummary(problems);
    what.pop_back();
    // A file is a backup that apply must be able to take whole.
    if (!path.empty()) {
      PrintError(what + "\n" + path + " was not written");
      return kFailed;
    }
    // JSON carries no value the camera did not report: only the error.
    if (ctx.json) {
      PrintError(what);
      return kFailed;
    }
    PrintError(what + "\ntheir lines are comments");
  }
  if (!path.empty()) {
    if (!SaveSettingFile(path, *ctx.cmd, values, ctx.settings.operatingMode))
      return Outcome(ctx, false);
    if (ctx.json) PrintJson(JsonWriter().BeginObject().Key("file").String(path).EndObject());
    return kOk;
  }
  if (ctx.json) {
    PrintJson(ValuesJson(*ctx.cmd, values, ctx.settings.operatingMode));
    return kOk;
  }
  for (const std::string& line : SettingFileLines(*ctx.cmd, values, ctx.settings.operatingMode))
    std::cout << line << '\n';
  std::cout.flush();
  return problems.empty() ? kOk : kFailed;
}

const Registrar kRegistrar{
    {"read-all",
     "read-all [--factory] [-o FILE.cam]  read every panel parameter as setting-file lines "
     "(to stdout, or into the file)",
     ReadAll, Output::Json},
};

}  // namespace
}  // namespace kestrel::ctl
