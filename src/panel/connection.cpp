#include "panel/connection.h"

#include <charconv>
#include <chrono>
#include <thread>

#include "panel/binding_table.h"
#include "protocol/cam_cmd.h"
#include "protocol/settings.h"
#include "protocol/user_interface.h"

namespace kestrel {

namespace {

constexpr int kBaud9600 = 0;
constexpr int kBaud115200 = 4;
// The Camera Link standard's code for 115200 bit/s, which the camera takes
// for its own speed switch.
constexpr int kCbdrt115200 = 16;

}  // namespace

Connection::Connection(CCamCmd& cmd) : Connection(cmd, Timing{}) {}

Connection::Connection(CCamCmd& cmd, Timing timing) : cmd_(cmd), timing_(timing) {}

bool Connection::Connect() {
  if (cmd_.OpenConfiguredPort() != 1) {
    cmd_.Ui().MessageBox("Failed to initialize!", MsgIcon::Warning);
    cmd_.ClosePort();
    return false;
  }
  int area = 0;
  bool answered = cmd_.QueryInt(cmd::EA, area, timing_.queryMs, 0, 1) == 1;
  if (!answered) {
    // A camera that has just been powered may still be booting.
    std::this_thread::sleep_for(std::chrono::milliseconds(timing_.retryPauseMs));
    answered = cmd_.QueryInt(cmd::EA, area, timing_.queryMs, 0, 1) == 1;
  }
  if (answered) currentArea_ = area;
  return answered;
}

bool Connection::NegotiateAndConnect() {
  Settings& settings = cmd_.Config();
  settings.baudRate = kBaud9600;
  if (!Connect()) {
    cmd_.ClosePort();
    settings.baudRate = kBaud115200;
    if (Connect()) return true;
    cmd_.ClosePort();
    settings.baudRate = kBaud9600;
    return false;
  }
  // Found at 9600: move the camera and the port to 115200. When the camera
  // refuses, the link stays at 9600 but the panel does not read from it: the
  // camera may have switched anyway with its acknowledgement lost, and a full
  // read over a dead line would take minutes of time-outs.
  if (cmd_.SetInt(cmd::CBDRT, kCbdrt115200, timing_.setMs) != 1) return false;
  cmd_.ClosePort();
  settings.baudRate = kBaud115200;
  cmd_.OpenConfiguredPort();
  if (cmd_.SetInt(cmd::CBDRT, kCbdrt115200, timing_.setMs) == 1) return true;
  cmd_.ClosePort();
  settings.baudRate = kBaud9600;
  return false;
}

// ---------------------------------------------------------------- time displays

std::string TimeText(int32_t counts) {
  // to_chars, not printf: the panel runs with the desktop's locale, and the
  // display is always written with a decimal point.
  char text[48];
  auto [end, ec] =
      std::to_chars(text, text + sizeof text - 2, static_cast<double>(counts) * kClockMicroseconds,
                    std::chars_format::fixed, 3);
  if (ec != std::errc()) return {};
  return std::string(text, end) + "us";
}

std::string ExposureText(int32_t pe, int32_t lr, int tr, int tg) {
  const double exposure = pe * kClockMicroseconds;
  const double period = lr * kClockMicroseconds;
  if (tr != 2 && tg == 0 && exposure > period) return " over";
  return TimeText(pe);
}

// ---------------------------------------------------------------- simulated camera

std::optional<SimulatedAnswer> SimulateAnswer(const CCamCmd& cmd, const BindingTable& table,
                                              const std::string& line, int currentArea) {
  ParsedLine r;
  cmd.ParseLine(line, r, 1);
  if (r.separator == "=") return SimulatedAnswer{"COMPLETE"};
  if (r.separator != "?") return std::nullopt;
  if (r.name == "VN") return SimulatedAnswer{"321"};
  if (r.name == "EB") return SimulatedAnswer{"EB=0"};
  if (r.name == "EA") return SimulatedAnswer{"EA=" + std::to_string(currentArea)};
  if (r.cmdIndex < 0) return std::nullopt;  // no such command: a camera stays silent

  // NAME?INDEX of an indexed command asks for that row, not the first of the name.
  int row = r.cmdIndex;
  const CommandTable& commands = cmd.Table();
  if (r.kind == 1 && commands[row].indexed) {
    const int wanted = row + ToInt(r.value1);
    if (!CommandTable::Valid(wanted) || commands[wanted].mnemonic != r.name) return std::nullopt;
    row = wanted;
  }
  ParamValue value;  // commands without a binding answer their default
  const int id = table.CmdId2CtrlId(row);
  if (id >= 0) value = table.GetParam(static_cast<uint32_t>(id));
  return SimulatedAnswer{cmd.FormatSet(row, value, false)};
}

bool SimulationTick(CCamCmd& cmd, const BindingTable& table, int currentArea) {
  Settings& settings = cmd.Config();
  const int offline = settings.offline;
  settings.offline = 0;
  bool answered = false;
  if (cmd.LineCount() > 0) {
    const std::string line = cmd.PopLine();
    if (auto answer = SimulateAnswer(cmd, table, line, currentArea)) {
      // The reply goes out as it stands; a host does not acknowledge replies,
      // so there is nothing to wait for.
      cmd.SendCommand(answer->line + "\r\n", 1);
      answered = true;
    }
  }
  settings.offline = offline;
  return answered;
}

}  // namespace kestrel
