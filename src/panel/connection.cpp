#include "panel/connection.h"

#include <unistd.h>

#include <algorithm>
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
  // The steps of the panel's search, one after the other; each waits at most
  // one byte time-out, so this never spins.
  BeginSearch(lastTry);
  Search result = Search::Looking;
  while (result == Search::Looking)
    result = SearchStep();
  return result == Search::Found;
}

void Connection::KeepSetFailure() {
  // A switch the camera refused, or a device that went away, is told in the
  // system's words; a switch left unanswered is the status line's.
  if (cmd_.LastFailure().kind != FailureKind::NoAnswer) told_ = cmd_.LastFailure();
}

bool Connection::NegotiateAndConnect() {
  told_ = {};
  note_.clear();
  if (!FindCamera()) {
    if (openFailed_)
      told_ = kestrel::Failure(FailureKind::Lost, "Failed to initialize!\n" + failure_);
    return false;
  }
  return MoveTo115200();
}

bool Connection::MoveTo115200() {
  Settings& settings = cmd_.Config();
  told_ = {};
  if (settings.baudRate == kBaud115200 || !MayMoveCameraSpeed(cmd_)) return true;
  // Found below 115200: move the camera and the port to 115200. When the
  // camera refuses, the link stays where it is but the panel does not read
  // from it: the camera may have switched anyway with its acknowledgement
  // lost, and a full read over a dead line would take minutes of time-outs.
  const int found = settings.baudRate;
  if (cmd_.SetInt(cmd::CBDRT, kCbdrt115200, timing_.setMs) != 1) {
    if (cmd_.LastFailure().kind == FailureKind::Rejected) {
      // It answered, and an answer means it kept its speed: work at it.
      note_ = "The camera did not take the switch to 115200 bit/s (" + cmd_.LastFailure().text +
              "); working at " + std::to_string(BaudOfIndex(found)) + " bit/s.";
      return true;
    }
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

void Connection::BeginSearch(bool lastTry) {
  Settings& settings = cmd_.Config();
  failure_.clear();
  told_ = {};
  lastBaud_ = IndexOfBaud(BaudOfIndex(settings.baudRate));
  const bool cameraLink = settings.serialMode != 0;
  probes_ = {{lastBaud_, timing_.probeMs, false}};
  for (int index : kSearchOrder) {
    if (cameraLink && index != kBaud9600 && index != kBaud115200) continue;
    if (index != lastBaud_) probes_.push_back({index, timing_.probeMs, false});
  }
  if (lastTry) probes_.push_back({lastBaud_, timing_.queryMs, true});
  nextProbe_ = 0;
  tried_.clear();
  probing_ = false;
  searching_ = true;
}

Connection::Search Connection::EndSearch() {
  if (failure_.empty()) failure_ = cmd_.LinkLost() ? cmd_.LostText() : NoAnswerText(tried_);
  if (openFailed_)
    told_ = kestrel::Failure(FailureKind::Lost, "Failed to initialize!\n" + failure_);
  cmd_.ClosePort();
  cmd_.Config().baudRate = lastBaud_;
  searching_ = probing_ = false;
  cmd_.Ui().SetLinkState(0);
  return Search::NotFound;
}

void Connection::StopSearch(bool closePort) {
  if (!searching_) return;
  if (closePort) {
    cmd_.ClosePort();
    cmd_.Config().baudRate = lastBaud_;
  }
  failure_.clear();
  searching_ = probing_ = false;
}

Connection::Search Connection::SearchStep() {
  if (!searching_) return Search::NotFound;
  using Clock = std::chrono::steady_clock;
  if (!probing_) {
    if (nextProbe_ >= probes_.size()) return EndSearch();
    const Probe probe = probes_[nextProbe_++];
    if (probe.last && (tried_.empty() || cmd_.LinkLost())) return EndSearch();
    cmd_.ClosePort();
    cmd_.Config().baudRate = probe.baudIndex;
    if (!Open()) {
      // A Camera Link library may refuse only this speed; a serial port
      // refuses every speed alike.
      if (cmd_.Config().serialMode != 0) return Search::Looking;
      return EndSearch();
    }
    if (!probe.last) tried_.push_back(BaudOfIndex(probe.baudIndex));
    cmd_.ClearReceive();
    cmd_.SendCommand(cmd_.FormatQuery(cmd::EA, true), 1);
    // A probe waits for the camera and for the way there and back.
    deadline_ =
        Clock::now() + std::chrono::milliseconds(probe.timeoutMs + 2 * cmd_.LinkRoundTripMs());
    probing_ = true;
    return Search::Looking;
  }
  cmd_.ReceiveLine(1);
  while (cmd_.LineCount() > 0) {
    // Only "EA=" with a whole number is the camera's answer; an echo of the
    // query or a line sent unasked is passed over.
    ParsedLine r;
    cmd_.ParseReply(r);
    int area = 0;
    const char* first = r.value1.data();
    const char* last = first + r.value1.size();
    if (r.error != 0 || r.name != "EA" || r.separator != "=" || r.value1.empty()) continue;
    if (auto [end, ec] = std::from_chars(first, last, area); ec != std::errc() || end != last)
      continue;
    currentArea_ = area;
    searching_ = probing_ = false;
    cmd_.Ui().SetLinkState(1);
    return Search::Found;
  }
  if (cmd_.LinkLost()) {
    nextProbe_ = probes_.size();
    return EndSearch();
  }
  if (Clock::now() < deadline_) return Search::Looking;
  probing_ = false;
  // Over a link that cannot change the line's speed, or with the speed
  // given, the last speed is the only one to try.
  if (!cmd_.LinkCarriesSpeed() || cmd_.Config().speedGiven) {
    const size_t patient =
        !probes_.empty() && probes_.back().last ? probes_.size() - 1 : probes_.size();
    nextProbe_ = std::max(nextProbe_, patient);
  }
  return Search::Looking;
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
