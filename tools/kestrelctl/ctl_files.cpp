// Setting files, setting areas, the Camera Link lists and the raw terminal.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>

#include "base/checked_input.h"
#include "base/text_scan.h"
#include "base/tick.h"
#include "ctl.h"
#include "panel/areas.h"
#include "panel/binding_table.h"
#include "panel/connection.h"
#include "panel/headless_view.h"
#include "panel/set_read_back.h"
#include "panel/setting_file.h"
#include "service/comm_log.h"

namespace kestrel::ctl {

bool Context::PrepareCameraLink() {
  CClSerial& cl = *cameraLink;
  using Kind = CClSerial::ListKind;
  switch (CClSerial::ModeOf(settings.serialMode)) {
    case 1:
      if (!clLibrary.empty()) {
        cl.SetSelectedEntry(clLibrary);
        return true;
      }
      cl.ListLibraries();
      cl.SetSelectedEntry(cl.GetEntry(Kind::Libraries, settings.dllNo));
      if (cl.SelectedEntry().empty()) {
        PrintError("no Camera Link serial library number " + std::to_string(settings.dllNo) +
                   " (clser*.so) in " + cl.SerialFolder());
        return false;
      }
      return true;
    case 2:
      if (!clLibrary.empty()) cl.SetLibraryFile(2, clLibrary);
      if (clPort >= 0) settings.camLinkSerialIndex = clPort;
      if (!clManufacturer.empty()) {
        cl.SetSelectedEntry(clManufacturer);
        return true;
      }
      cl.ListManufacturers();
      cl.SetSelectedEntry(cl.GetEntry(Kind::Manufacturers, settings.dllNo));
      if (cl.SelectedEntry().empty()) {
        PrintError("the Camera Link serial library lists no manufacturer number " +
                   std::to_string(settings.dllNo));
        return false;
      }
      return true;
    default:
      if (!clLibrary.empty()) cl.SetLibraryFile(3, clLibrary);
      if (clPort >= 0) settings.dllNo = clPort;
      cl.ListPorts();
      cl.SetSelectedEntry(cl.GetEntry(Kind::Ports, settings.dllNo));
      if (cl.SelectedEntry().empty()) {
        PrintError("the Camera Link serial library offers no port " +
                   std::to_string(settings.dllNo) + " (it lists " +
                   std::to_string(cl.List(Kind::Ports).size()) + ")");
        return false;
      }
      return true;
  }
}

namespace {

int Apply(Context& ctx, const std::vector<std::string>& given) {
  std::vector<std::string> args = given;
  if (std::erase(args, std::string("--no-verify")) > 0) LeaveOutReadBack();
  if (args.size() != 1) {
    PrintError("apply takes one setting file");
    return kUsage;
  }
  std::string text;
  if (std::string why = ReadInputFile(args[0], kMaxSettingFileBytes, text); !why.empty()) {
    PrintError(args[0] + ": " + why);
    return kFailed;
  }
  // Nobody is there to answer "send the good lines?": a file with a bad line
  // sends nothing.
  const CommandTable table;
  const SettingFileCheck check = CheckSettingText(table, text);
  if (!check.problems.empty()) {
    PrintError(args[0] + ": " + std::to_string(check.problems.size()) + " of " +
               std::to_string(check.lines) + " lines cannot be sent; nothing was sent:\n" +
               ProblemSummary(check.problems));
    return kFailed;
  }
  if (!ctx.Connect()) return kFailed;
  const ReplayResult r = ReplaySettingText(text, *ctx.cmd, nullptr);
  if (r.cancelled) {
    const int line = r.sent > 0 ? static_cast<int>(check.good[r.sent - 1].lineIndex) + 1 : 0;
    StoppedAt(line, r.lines);
    if (r.failed > 0) Failed(ctx.cmd->LastFailure());
    return kFailed;
  }
  if (r.ok()) return kOk;
  if (r.FailureRecorded()) Failed(ctx.cmd->LastFailure());
  if (r.lostAtLine > 0)
    PrintError(ctx.cmd->LostText() + "\nStopped at line " + std::to_string(r.lostAtLine) + " of " +
               std::to_string(r.lines) + "; the rest was not sent.");
  return kFailed;
}

// Reads every panel parameter as the panel does at start-up and writes them as
// a setting file, replacing FILE only once the whole file is written.
bool AreaArg(const std::vector<std::string>& args, const char* command, int& area) {
  if (args.size() != 1 || !ParseIntArg(args[0], area) || area < 0 || area > 2) {
    PrintError(std::string(command) + " takes an area: 0 Factory, 1 User 1, 2 User 2");
    return false;
  }
  return true;
}

// "1 User 1", or {"area": 1, "name": "User 1"}.
void PrintArea(const Context& ctx, int area) {
  if (ctx.json)
    PrintJson(JsonWriter()
                  .BeginObject()
                  .Key("area")
                  .Int(area)
                  .Key("name")
                  .String(AreaLabel(true, area))
                  .EndObject());
  else
    std::cout << area << ' ' << AreaLabel(true, area) << std::endl;
}

int Area(Context& ctx, const std::vector<std::string>& args) {
  if (!args.empty()) {
    PrintError("area takes no arguments");
    return kUsage;
  }
  if (!ctx.Connect()) return kFailed;
  int area = 0;
  if (ctx.cmd->QueryInt(cmd::EA, area, ctx.timeoutMs) != 1) return Outcome(ctx, false);
  PrintArea(ctx, area);
  return kOk;
}

int Load(Context& ctx, const std::vector<std::string>& args) {
  int area = 0;
  if (!AreaArg(args, "load", area)) return kUsage;
  if (!ctx.Connect()) return kFailed;
  int current = 0;
  return Outcome(ctx, LoadSettingsArea(*ctx.cmd, current, area, nullptr) == 1);
}

int Store(Context& ctx, const std::vector<std::string>& args) {
  int area = 0;
  if (!AreaArg(args, "store", area)) return kUsage;
  if (!ctx.Connect()) return kFailed;
  int current = 0;
  if (StoreSettingsArea(*ctx.cmd, current, area) != 1) return Outcome(ctx, false);
  ctx.ui.Report(kStoredText, MsgIcon::Information, MsgButtons::Ok, {});
  return kOk;
}

int Reload(Context& ctx, const std::vector<std::string>& args) {
  if (!args.empty()) {
    PrintError("reload takes no arguments");
    return kUsage;
  }
  if (!ctx.Connect()) return kFailed;
  int current = 0;
  if (ReloadSettings(*ctx.cmd, current, nullptr) != 1) return Outcome(ctx, false);
  PrintArea(ctx, current);
  return kOk;
}

int ClList(Context& ctx, const std::vector<std::string>& args) {
  if (!args.empty() || ctx.clMode == 0) {
    PrintError("cl-list needs --cl-mode and takes no arguments");
    return kUsage;
  }
  CClSerial cl(ctx.settings);
  if (!ctx.clLibrary.empty() && ctx.clMode != 1) cl.SetLibraryFile(ctx.clMode, ctx.clLibrary);
  ctx.settings.serialMode = ctx.clMode;
  const CClSerial::ListKind kind = CClSerial::ListOfMode(ctx.clMode);
  switch (kind) {
    case CClSerial::ListKind::Libraries:
      cl.ListLibraries();
      break;
    case CClSerial::ListKind::Manufacturers:
      cl.ListManufacturers();
      break;
    case CClSerial::ListKind::Ports:
      cl.ListPorts();
      break;
  }
  const auto& list = cl.List(kind);
  if (list.empty()) {
    PrintError("--cl-mode " + std::to_string(ctx.clMode) + " lists nothing");
    return kFailed;
  }
  if (ctx.json) {
    // {"kind": "ports", "entries": [...]}: an entry's number is its position.
    const char* kinds[] = {"libraries", "manufacturers", "ports"};
    JsonWriter w;
    w.BeginObject().Key("kind").String(kinds[static_cast<int>(kind)]).Key("entries").BeginArray();
    for (const std::string& entry : list)
      w.String(entry);
    PrintJson(w.EndArray().EndObject());
    return kOk;
  }
  for (size_t i = 0; i < list.size(); ++i)
    std::cout << i << ' ' << list[i] << '\n';
  std::cout.flush();
  return kOk;
}

// Log lines go to stdout with the terminal's time stamps.
class ConsoleUi : public TerminalUi {
 public:
  void AppendLog(const std::string& line) override {
    std::cout << CommLog::Stamp(TicksSince(start_), Printable(line)) << std::endl;
  }

 private:
  uint32_t start_ = TickCount();
};

// A raw console: every line typed goes out as it stands with CR LF; whatever
// the camera sends is shown as it arrives. Ends at the end of input, after
// --listen ms for the last replies.
int Terminal(Context& ctx, const std::vector<std::string>& args) {
  if (!args.empty()) {
    PrintError("terminal takes no arguments; type the lines");
    return kUsage;
  }
  if (!ctx.Connect()) return kFailed;
  ConsoleUi console;
  ctx.cmd->SetUserInterface(console);
  ctx.cmd->ClearReceive();
  std::string pending;
  bool inputOpen = true;
  uint32_t endedAt = 0;
  for (;;) {
    if (inputOpen) {
      pollfd pfd{STDIN_FILENO, POLLIN, 0};
      if (::poll(&pfd, 1, 20) > 0) {
        char buffer[1024];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
          inputOpen = false;
          endedAt = TickCount();
          // A last line without a line end goes too.
          if (!pending.empty()) pending += '\n';
        } else {
          pending.append(buffer, static_cast<size_t>(n));
        }
      }
    } else {
      if (TicksSince(endedAt) >= static_cast<uint32_t>(ctx.listenMs)) break;
      ::usleep(20'000);
    }
    for (size_t lf; (lf = pending.find('\n')) != std::string::npos;) {
      std::string line = pending.substr(0, lf);
      pending.erase(0, lf + 1);
      line = std::string(scan::WithoutLineEnd(line));
      ctx.cmd->SendCommand(line + "\r\n", 1);
    }
    ctx.cmd->Poll();
    while (ctx.cmd->LineCount() > 0)
      ctx.cmd->PopLine();  // shown already, as Rx lines
    if (ctx.cmd->LinkLost()) {
      PrintError("the port hung up");
      return kFailed;
    }
  }
  return kOk;
}

const Registrar kRegistrar{
    {"apply",
     "apply [--no-verify] FILE.cam replay a setting file into the camera, each value read back",
     Apply},
    {"area", "area                        print the camera's current setting area", Area,
     Output::Json},
    {"load", "load AREA                   load area 0, 1 or 2 into the working settings", Load},
    {"store", "store AREA                  store the working settings into area 0, 1 or 2", Store},
    {"reload", "reload                      re-read the areas; print the current one", Reload,
     Output::Json},
    {"cl-list",
     "cl-list                     list the libraries, manufacturers or ports of "
     "--cl-mode",
     ClList, Output::Json},
    {"terminal", "terminal                    raw console: lines in, time-stamped Tx/Rx out",
     Terminal, Output::Text},
};

}  // namespace
}  // namespace kestrel::ctl
