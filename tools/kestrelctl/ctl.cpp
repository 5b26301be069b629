// kestrelctl's command line: the options, the command registry and the
// terminal user interface the commands report through.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "ctl.h"

namespace kestrel::ctl {

namespace {

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

void Usage(std::ostream& out) {
  out << "usage: kestrelctl [--port DEV] [--baud BPS] [--timeout MS] [--listen MS] "
         "[--verbose]\n                  [--cl-mode 1|2|3 [--cl-port N] [--cl-library FILE] "
         "[--cl-manufacturer NAME]]\n                  COMMAND ...\n\ncommands:\n";
  for (const Command& c : Registry())
    out << "  " << c.usage << "\n";
  out << "\n--port defaults to the port the panel's settings name; --baud to their bit "
         "rate.\n--cl-mode reaches the camera through a Camera Link serial library: 1 a "
         "clser*.so in\n$CLSERIALPATH, 2 libclserial.so, 3 libclallserial.so; --cl-port is "
         "the serial index\n(mode 2) or the port (mode 3); --cl-library names the library "
         "file to load.\nExit status: 0 done, 1 the camera or the port failed, 2 usage "
         "error.\n";
}

}  // namespace

Registrar::Registrar(std::initializer_list<Command> commands) {
  for (const Command& c : commands)
    Registry().push_back(c);
}

const std::vector<Command>& Commands() {
  return Registry();
}

void PrintError(const std::string& text) {
  std::cerr << "kestrelctl: " << text << std::endl;
}

bool ParseIntArg(const std::string& text, int& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
  out = static_cast<int>(v);
  return true;
}

MsgAnswer TerminalUi::MessageBox(const std::string& text, MsgIcon, MsgButtons buttons,
                                 const std::string&) {
  if (open_ && tty_) std::fputs("\r\033[K", stderr);
  ++shown;
  PrintError(text);
  if (open_) Draw();
  // Nobody answers questions here: the command line already said what to do.
  return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes
                                                                            : MsgAnswer::Ok;
}

void TerminalUi::AppendLog(const std::string& line) {
  if (verbose) std::cerr << line << '\n';
}

void TerminalUi::ShowProgress() {
  tty_ = ::isatty(STDERR_FILENO) == 1;
  open_ = true;
  percent_ = 0;
  Draw();
}

void TerminalUi::SetProgressMessage(const std::string& text) {
  text_ = text;
  Draw();
}

void TerminalUi::SetProgressPercent(int percent) {
  percent_ = percent;
  Draw();
}

void TerminalUi::CloseProgress() {
  if (open_ && tty_) std::fputs("\r\033[K", stderr);
  open_ = false;
}

void TerminalUi::Draw() {
  if (!open_ || !tty_) return;  // nothing on a pipe
  const int width = 30;
  const int filled = std::clamp(percent_, 0, 100) * width / 100;
  std::string line = text_.substr(0, text_.find('\n'));
  std::fprintf(stderr, "\r\033[K[%s%s] %3d%% %s", std::string(filled, '#').c_str(),
               std::string(width - filled, '.').c_str(), percent_, line.c_str());
  std::fflush(stderr);
}

bool Context::Prepare() {
  ++linksPrepared;
  cameraLink = std::make_unique<CClSerial>(settings, ui);
  cmd = std::make_unique<CCamCmd>(settings, port, ui, cameraLink.get());
  if (!portOverride.empty()) {
    settings.serialMode = 0;
    settings.commDevice = portOverride;
  }
  if (clMode != 0) settings.serialMode = clMode;
  return settings.serialMode == 0 || PrepareCameraLink();
}

bool Context::Connect() {
  if (!Prepare()) return false;
  if (cmd->OpenConfiguredPort() == 1) return true;
  if (settings.serialMode != 0) {
    PrintError("cannot open the Camera Link port");
    return false;
  }
  const std::string com = "COM" + std::to_string(settings.commPort + 1);
  const std::string name = !settings.commDevice.empty()
                               ? settings.commDevice
                               : com + " (" + CRsPort::DevicePath(com) + ")";
  PrintError("cannot open " + name + ": " + std::strerror(errno));
  return false;
}

int RunCommandLine(Context& ctx, const std::vector<std::string>& args) {
  size_t i = 0;
  auto value = [&](const std::string& option, std::string& out) {
    if (i + 1 >= args.size()) {
      PrintError(option + " needs a value");
      return false;
    }
    out = args[++i];
    return true;
  };
  for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
    const std::string& a = args[i];
    std::string v;
    int n = 0;
    if (a == "--help") {
      Usage(std::cout);
      return kOk;
    } else if (a == "--verbose") {
      ctx.ui.verbose = true;
    } else if (a == "--port") {
      if (!value(a, ctx.portOverride)) return kUsage;
    } else if (a == "--baud") {
      if (!value(a, v)) return kUsage;
      if (!ParseIntArg(v, n) || IndexOfBaud(n) < 0) {
        PrintError("--baud takes 9600, 19200, 38400, 57600 or 115200");
        return kUsage;
      }
      ctx.settings.baudRate = IndexOfBaud(n);
    } else if (a == "--cl-mode") {
      if (!value(a, v)) return kUsage;
      if (!ParseIntArg(v, n) || n < 1 || n > 3) {
        PrintError("--cl-mode takes 1, 2 or 3");
        return kUsage;
      }
      ctx.clMode = n;
    } else if (a == "--cl-port") {
      if (!value(a, v)) return kUsage;
      if (!ParseIntArg(v, n) || n < 0) {
        PrintError("--cl-port takes a port index from 0");
        return kUsage;
      }
      ctx.clPort = n;
    } else if (a == "--cl-library") {
      if (!value(a, ctx.clLibrary)) return kUsage;
    } else if (a == "--cl-manufacturer") {
      if (!value(a, ctx.clManufacturer)) return kUsage;
    } else if (a == "--timeout" || a == "--listen") {
      if (!value(a, v)) return kUsage;
      if (!ParseIntArg(v, n) || n < 0) {
        PrintError(a + " takes milliseconds");
        return kUsage;
      }
      (a == "--timeout" ? ctx.timeoutMs : ctx.listenMs) = n;
    } else {
      PrintError("unknown option " + a);
      Usage(std::cerr);
      return kUsage;
    }
  }
  if (ctx.clMode != 0 && !ctx.portOverride.empty()) {
    PrintError("--port and --cl-mode name two different links; give one");
    return kUsage;
  }
  if (i >= args.size()) {
    Usage(std::cerr);
    return kUsage;
  }
  const std::string name = args[i];
  std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
  for (const Command& c : Commands())
    if (name == c.name) return c.run(ctx, rest);
  PrintError("unknown command " + name);
  Usage(std::cerr);
  return kUsage;
}

}  // namespace kestrel::ctl
