#include "panel/connection.h"

#include <unistd.h>

#include <charconv>

#include "base/settings.h"
#include "base/user_interface.h"
#include "link/line_speed.h"
#include "link/net_port.h"
#include "link/rs_port.h"
#include "panel/binding_table.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

namespace {

constexpr int kBaud9600 = 0;
constexpr int kBaud115200 = 4;
// The Camera Link standard's code for 115200 bit/s, which the camera takes
// for its own speed switch.
constexpr int kCbdrt115200 = 16;
// Where the camera can be: its power-on speed, the speed the panel moves it
// to, then the speeds a "CBDRT" of someone else's may have left it at.
constexpr int kSearchOrder[] = {kBaud9600, kBaud115200, 3, 2, 1};

}  // namespace

Connection::Connection(CCamCmd& cmd) : Connection(cmd, Timing{}) {}

Connection::Connection(CCamCmd& cmd, Timing timing) : cmd_(cmd), timing_(timing) {}

std::string Connection::PortName() const {
  const Settings& s = cmd_.Config();
  if (s.serialMode != 0) return "the Camera Link port";
  if (!s.commDevice.empty()) return s.commDevice;
  const std::string com = "COM" + std::to_string(s.commPort + 1);
  return com + " (" + CRsPort::DevicePath(com) + ")";
}

bool MayMoveCameraSpeed(const CCamCmd& cmd) {
  const Settings& s = cmd.Config();
  return !s.speedGiven && s.keepCameraSpeed == 0 && cmd.LinkCarriesSpeed();
}

bool FollowCameraSpeed(CCamCmd& cmd, int code) {
  Settings& settings = cmd.Config();
  for (int index = 0; index < static_cast<int>(std::size(kCameraBauds)); ++index) {
    if (CameraLinkCode(BaudOfIndex(index)) != static_cast<uint32_t>(code)) continue;
    settings.baudRate = index;
    cmd.ClosePort();
    if (cmd.OpenConfiguredPort() == 1) return true;
    cmd.Fail(cmd.OpenFailure());
    return false;
  }
  return true;  // a code of no speed of ours: the camera keeps its speed
}

bool Connection::DevicePresent() const {
  const Settings& s = cmd_.Config();
  // A relay on the network is only known to be there by connecting to it.
  if (s.serialMode != 0 || IsNetworkPort(s.commDevice)) return true;
  const std::string com = "COM" + std::to_string(s.commPort + 1);
  return ::access(CRsPort::DevicePath(s.commDevice.empty() ? com : s.commDevice).c_str(), F_OK) ==
         0;
}

std::string Connection::NoAnswerText(const std::vector<int>& bauds) const {
  std::string list;
  for (size_t i = 0; i < bauds.size(); ++i) {
    if (i > 0) list += i + 1 == bauds.size() ? " or " : ", ";
    list += std::to_string(bauds[i]);
  }
  return "no answer at " + list + " bit/s on " + PortName();
}

bool Connection::Open() {
  openFailed_ = cmd_.OpenConfiguredPort() != 1;
  if (!openFailed_) return true;
  failure_ = cmd_.OpenFailureText();
  cmd_.ClosePort();
  return false;
}

bool Connection::Identify(int timeoutMs) {
  int area = 0;
  if (cmd_.QueryInt(cmd::EA, area, timeoutMs) != 1) return false;
  currentArea_ = area;
  return true;
}

bool Connection::Connect() {
  failure_.clear();
  told_ = {};
  if (!Open()) {
    told_ = kestrel::Failure(FailureKind::Lost, "Failed to initialize!\n" + failure_);
    return false;
  }
  if (Identify(timing_.queryMs)) return true;
  failure_ = NoAnswerText({BaudOfIndex(cmd_.Config().baudRate)});
  return false;
}

bool Connection::FindCamera(bool lastTry) {
  Settings& settings = cmd_.Config();
  failure_.clear();
  const int last = IndexOfBaud(BaudOfIndex(settings.baudRate));
  const bool cameraLink = settings.serialMode != 0;
  std::vector<int> order{last};
  for (int index : kSearchOrder) {
    // A Camera Link library may not offer the other speeds (and says so
    // aloud); the camera's own two are enough there.
    if (cameraLink && index != kBaud9600 && index != kBaud115200) continue;
    if (index != last) order.push_back(index);
  }
  std::vector<int> tried;
  for (int index : order) {
    cmd_.ClosePort();
    settings.baudRate = index;
    if (!Open()) {
      if (cameraLink) continue;  // this speed only
      settings.baudRate = last;
      return false;  // the same at every speed
    }
    tried.push_back(BaudOfIndex(index));
    // A probe waits for the camera and for the way there and back.
    if (Identify(timing_.probeMs + 2 * cmd_.LinkRoundTripMs())) return true;
    if (cmd_.LinkLost()) break;
    // Over a link that cannot change the line's speed, or with the speed
    // given, the last speed is the only one to try.
    if (!cmd_.LinkCarriesSpeed() || settings.speedGiven) break;
  }
  cmd_.ClosePort();
  settings.baudRate = last;
  if (lastTry && !tried.empty() && !cmd_.LinkLost() && Open()) {
    if (Identify(timing_.queryMs)) return true;
    cmd_.ClosePort();
  }
  if (failure_.empty()) failure_ = cmd_.LinkLost() ? cmd_.LostText() : NoAnswerText(tried);
  return false;
}

void Connection::KeepSetFailure() {
  // A switch the camera refused, or a device that went away, is told in the
  // system's words; a switch left unanswered is the status line's.
  if (cmd_.LastFailure().kind != FailureKind::NoAnswer) told_ = cmd_.LastFailure();
}

bool Connection::NegotiateAndConnect() {
  Settings& settings = cmd_.Config();
  told_ = {};
  if (!FindCamera()) {
    if (openFailed_)
      told_ = kestrel::Failure(FailureKind::Lost, "Failed to initialize!\n" + failure_);
    return false;
  }
  if (settings.baudRate == kBaud115200 || !MayMoveCameraSpeed(cmd_)) return true;
  // Found below 115200: move the camera and the port to 115200. When the
  // camera refuses, the link stays where it is but the panel does not read
  // from it: the camera may have switched anyway with its acknowledgement
  // lost, and a full read over a dead line would take minutes of time-outs.
  const int found = settings.baudRate;
  if (cmd_.SetInt(cmd::CBDRT, kCbdrt115200, timing_.setMs) != 1) {
    KeepSetFailure();
    failure_ = "the camera did not take the switch to 115200 bit/s";
    return false;
  }
  cmd_.ClosePort();
  settings.baudRate = kBaud115200;
  if (Open()) {
    if (cmd_.SetInt(cmd::CBDRT, kCbdrt115200, timing_.setMs) == 1) return true;
    KeepSetFailure();
  }
  cmd_.ClosePort();
  settings.baudRate = found;
  if (failure_.empty()) failure_ = NoAnswerText({115200}) + " after the switch";
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
  return std::string(text, end) + " \u00b5s";
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
