// query, set, send: single commands and raw lines.
#include <chrono>
#include <iostream>
#include <set>

#include "base/json_writer.h"
#include "ctl.h"
#include "link/port_list.h"
#include "panel/connection.h"
#include "panel/set_line_check.h"
#include "panel/set_read_back.h"
#include "panel/tool_session.h"

namespace kestrel::ctl {
namespace {

std::string ValueText(const CCamCmd& cmd, int row, const ParamValue& v) {
  // The set line without "NAME=" (and without "INDEX," for indexed rows).
  std::string line = cmd.FormatSet(row, v, false);
  line = line.substr(line.find('=') + 1);
  if (cmd.Table()[row].indexed) line = line.substr(line.find(',') + 1);
  return line;
}

// The camera took a "CBDRT": it now listens at the speed of that code, and so
// must the tool, for its next command and its next run.
bool MoveToCameraSpeed(Context& ctx, int code) {
  if (!FollowCameraSpeed(*ctx.cmd, code)) return Outcome(ctx, false), false;
  ctx.RememberBaud();
  return true;
}

int Query(Context& ctx, const std::vector<std::string>& args) {
  if (args.empty()) {
    PrintError("query needs at least one NAME");
    return kUsage;
  }
  CCamCmd probe(ctx.settings, ctx.ui);
  std::vector<int> rows;
  for (const std::string& a : args) {
    int row = ResolveQueryName(probe.Table(), a);
    if (row < 0) {
      PrintError("unknown command name " + a);
      return kUsage;
    }
    rows.push_back(row);
  }
  if (!ctx.Connect()) return kFailed;
  // Under --json: {"NAME": value, ...} keyed by the names as given, once
  // all have answered.
  JsonWriter json;
  json.BeginObject();
  std::set<std::string> keys;
  for (size_t i = 0; i < rows.size(); ++i) {
    const int row = rows[i];
    ParamValue v;
    if (ctx.cmd->QueryValue(row, v, ctx.timeoutMs) != 1) return Outcome(ctx, false);
    if (!ctx.json)
      std::cout << Printable(ValueText(*ctx.cmd, row, v)) << std::endl;
    else if (keys.insert(args[i]).second)
      WriteValue(json.Key(args[i]), ctx.cmd->Table()[row], v);
  }
  if (ctx.json) PrintJson(json.EndObject());
  return kOk;
}

int Set(Context& ctx, const std::vector<std::string>& given) {
  std::vector<std::string> args = given;
  if (std::erase(args, std::string("--no-verify")) > 0) LeaveOutReadBack();
  if (args.empty()) {
    PrintError("set needs at least one NAME=VALUE");
    return kUsage;
  }
  const CommandTable table;
  std::vector<CheckedSet> sets;
  for (const std::string& a : args) {
    CheckedSet set;
    if (std::string why = CheckSetLine(table, a, set); !why.empty()) {
      PrintError(why + " (expected NAME=VALUE or NAME=INDEX,VALUE); nothing was sent");
      return kUsage;
    }
    sets.push_back(std::move(set));
  }
  if (!ctx.Connect()) return kFailed;
  for (const CheckedSet& set : sets) {
    if (set.cmdIndex == cmd::CBDRT && !ctx.cmd->LinkCarriesSpeed()) {
      PrintError("CBDRT would leave the camera at a speed the relay's line does not run at: " +
                 ctx.settings.commDevice +
                 " passes no speed on (rfc2217:// does); nothing was sent");
      return kUsage;
    }
  }
  for (const CheckedSet& set : sets) {
    if (StoppedAt(static_cast<int>(&set - sets.data()), static_cast<int>(sets.size()), "value"))
      return kFailed;
    if (ctx.cmd->SetValue(set.cmdIndex, set.value, ctx.timeoutMs) != 1 ||
        ReadBackSet(*ctx.cmd, set.cmdIndex, set.value, ctx.timeoutMs) != 1)
      return Outcome(ctx, false);
    if (set.cmdIndex == cmd::CBDRT && !MoveToCameraSpeed(ctx, set.value.intValue)) return kFailed;
  }
  return kOk;
}

int Send(Context& ctx, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    PrintError("send takes one raw line (quote it)");
    return kUsage;
  }
  if (!ctx.Connect()) return kFailed;
  ctx.cmd->ClearReceive();
  ctx.cmd->SendCommand(args[0] + "\r\n", 1);
  using Clock = std::chrono::steady_clock;
  const auto end = Clock::now() + std::chrono::milliseconds(ctx.listenMs);
  for (auto now = Clock::now(); now < end; now = Clock::now()) {
    int left = static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(end - now).count());
    if (ctx.cmd->WaitLine(1, left) == 1)
      while (ctx.cmd->LineCount() > 0)
        std::cout << Printable(ctx.cmd->PopLine()) << std::endl;
  }
  if (ctx.cmd->LinkLost()) {
    PrintError("the port hung up");
    return kFailed;
  }
  return kOk;
}

int Ports(Context& ctx, const std::vector<std::string>& args) {
  if (!args.empty()) {
    PrintError("ports takes no arguments");
    return kUsage;
  }
  const std::vector<SerialPortInfo> ports = ListSerialPorts();
  if (ports.empty()) {
    PrintError("no serial devices found");
    return kFailed;
  }
  if (ctx.json) {
    JsonWriter json;
    json.BeginArray();
    for (const SerialPortInfo& p : ports)
      json.BeginObject().Key("path").String(p.path).Key("device").String(p.device).EndObject();
    json.EndArray();
    std::cout << json.Text() << std::endl;
    return kOk;
  }
  for (const SerialPortInfo& p : ports)
    std::cout << p.path << (p.device != p.path ? " -> " + p.device : std::string()) << '\n';
  std::cout.flush();
  return kOk;
}

const Registrar kRegistrar{
    {"ports", "ports                       list the serial devices present (stable names first)",
     Ports, Output::Json},
    {"query", "query NAME[?INDEX]...      print each value, one per line", Query, Output::Json},
    {"set",
     "set [--no-verify] NAME=VALUE...\n"
     "                             set values (NAME=INDEX,VALUE for indexed rows), each read back",
     Set},
    {"send", "send 'RAW LINE'             send a line with CR LF, print the replies of --listen MS",
     Send, Output::Text},
};

}  // namespace
}  // namespace kestrel::ctl
