// The factory and service tools: memory dump and write, AFE registers, sensor
// memory, FPGA registers, temperatures, camera information and IDs, and the
// terminal's correction-data routines.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <chrono>
#include <csignal>
#include <iostream>
#include <thread>

#include "base/checked_input.h"
#include "ctl.h"
#include "protocol/ack_tally.h"
#include "service/about_info.h"
#include "service/afe_register.h"
#include "service/camera_id.h"
#include "service/fpga_register.h"
#include "service/memory_dump.h"
#include "service/sensor_memory.h"
#include "service/temperature_monitor.h"
#include "service/terminal_routines.h"
#include "settings/settings_store.h"

namespace kestrel::ctl {
namespace {

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// Texts that go into a command line verbatim must not end it early.
bool OneLine(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a.find_first_of("\r\n") != std::string::npos) {
      PrintError("arguments cannot contain line breaks");
      return false;
    }
  return true;
}

// A list item by its name (any case) or its position from 0.
int ItemIndex(const std::string& text, const std::string* items, int count) {
  for (int i = 0; i < count; ++i)
    if (Upper(items[i]) == Upper(text)) return i;
  int index = -1;
  if (ParseIntArg(text, index) && index >= 0 && index < count) return index;
  return -1;
}

// A hexadecimal argument: digits only, an optional "0x" dropped, at most
// `digits` significant digits. `text` becomes the digits to send.
bool HexArg(std::string& text, int digits, const char* what) {
  uint32_t value = 0;
  std::string sent;
  if (std::string why = CheckHex(text, digits, what, value, &sent); !why.empty()) {
    PrintError(why);
    return false;
  }
  text = sent;
  return true;
}

// Memory and register addresses and data are 32-bit words.
constexpr int kWordDigits = 8;

bool KindArg(const std::string& text, PixelCorrectionKind& kind) {
  if (text != "black" && text != "gain") {
    PrintError("expected black or gain, not " + text);
    return false;
  }
  kind = text == "black" ? PixelCorrectionKind::Black : PixelCorrectionKind::Gain;
  return true;
}

// Reads a file to send and checks it with `check` before any port is opened;
// prints why not and returns false when it cannot be sent.
template <typename Check>
bool CheckedInput(const std::string& path, size_t cap, Check check) {
  std::string text;
  std::string why = ReadInputFile(path, cap, text);
  if (why.empty()) why = check(text);
  if (why.empty()) return true;
  PrintError(path + ": " + why + "; nothing was sent");
  return false;
}

int Dump(Context& ctx, const std::vector<std::string>& args) {
  std::vector<std::string> a = args;
  if (a.size() != 3) {
    PrintError("dump takes ADDR SIZE FILE.csv (ADDR and SIZE hexadecimal)");
    return kUsage;
  }
  if (!HexArg(a[0], kWordDigits, "ADDR") || !HexArg(a[1], kWordDigits, "SIZE")) return kUsage;
  if (!ctx.Connect()) return kFailed;
  return Outcome(ctx, DumpToFile(*ctx.cmd, a[2], a[0], a[1]) == 1);
}

// A raw write line and its acknowledgement within --timeout.
int SendAndAwait(Context& ctx, const std::string& line) {
  ctx.cmd->ClearReceive();
  ctx.cmd->SendCommand(line, 1);
  std::string reply;
  switch (WaitAnswer(*ctx.cmd, ctx.timeoutMs, reply)) {
    case Answer::Accepted:
      return kOk;
    case Answer::Rejected:
      PrintError(Printable(reply) + " for " + ctx.cmd->LastCommand());
      return kFailed;
    case Answer::Unanswered:
      break;
  }
  PrintError(NoAnswerFor(ctx));
  return kFailed;
}

int MemWrite(Context& ctx, const std::vector<std::string>& args) {
  std::vector<std::string> a = args;
  if (a.size() != 2) {
    PrintError("memwrite takes ADDR DATA (hexadecimal)");
    return kUsage;
  }
  if (!HexArg(a[0], kWordDigits, "ADDR") || !HexArg(a[1], kWordDigits, "DATA")) return kUsage;
  if (!ctx.Connect()) return kFailed;
  return SendAndAwait(ctx, MemoryWriteLine(a[0], a[1]));
}

int Afe(Context& ctx, const std::vector<std::string>& args) {
  if (!OneLine(args)) return kUsage;
  if (args.size() == 4 && args[0] == "write") {
    const auto& selectors = AfeSelectorItems();
    int selector = ItemIndex(args[1], selectors.data(), kAfeSelectorCount);
    if (selector < 0 && Upper(args[1]) == "TAP4") selector = 3;
    std::string addressText = args[2];
    uint32_t address = 0;
    if (selector < 0 || !CheckHex(addressText, 2, "ADDRESS", address).empty() ||
        address < kAfeFirstAddress || address >= kAfeFirstAddress + kAfeAddressCount) {
      PrintError(
          "afe write takes SELECTOR (Tap1..Tap16, Sensor1, Sensor2, ALL) ADDRESS (40..E4) DATA");
      return kUsage;
    }
    if (!ctx.Connect()) return kFailed;
    return Outcome(
        ctx, WriteAfeRegister(*ctx.cmd, selector, static_cast<int>(address) - kAfeFirstAddress,
                              args[3]) == 1);
  }
  if (args.size() == 2 && (args[0] == "load" || args[0] == "save")) {
    // A file to load is read and checked whole before the port is opened.
    std::vector<std::string> lines;
    if (args[0] == "load" &&
        !CheckedInput(args[1], DataFileCap(kAfeTableRows * 3),
                      [&](const std::string& text) { return RegisterFileCommands(text, lines); }))
      return kFailed;
    if (!ctx.Connect()) return kFailed;
    return Outcome(ctx, (args[0] == "load" ? LoadRegisterFile(*ctx.cmd, args[1])
                                           : SaveRegisterFile(*ctx.cmd, args[1])) == 1);
  }
  PrintError("afe takes: write SELECTOR ADDRESS DATA | load FILE | save FILE");
  return kUsage;
}

int SensorMemory(Context& ctx, const std::vector<std::string>& args) {
  if (args.size() == 3 && args[0] == "switch") {
    const std::string state = Upper(args[2]);
    if ((args[1] != "sensor" && args[1] != "trigger") || (state != "ON" && state != "OFF")) {
      PrintError("sensor-memory switch takes sensor|trigger on|off");
      return kUsage;
    }
    if (!ctx.Connect()) return kFailed;
    return Outcome(
        ctx, SetSensorSwitch(*ctx.cmd,
                             args[1] == "sensor" ? SensorSwitch::Sensor : SensorSwitch::Trigger,
                             state == "ON" ? 1 : 0) == 1);
  }
  if (args.size() != 4 || (args[0] != "load" && args[0] != "save")) {
    PrintError("sensor-memory takes load|save COLOR BLOCK FILE, or switch sensor|trigger on|off");
    return kUsage;
  }
  const int colour = ItemIndex(args[1], SensorMemoryColourItems().data(), kSensorMemoryColours);
  const int block = ItemIndex(args[2], SensorMemoryBlockItems().data(), kSensorMemoryBlocks);
  if (colour < 0 || block < 0) {
    PrintError("COLOR is ALL, RED, GREEN or BLUE; BLOCK is MEMOFF0..MEMPXPRNU3 or 0..18");
    return kUsage;
  }
  std::vector<std::string> lines;
  if (args[0] == "load" &&
      !CheckedInput(args[3], DataFileCap(kSensorMemoryBlockWords), [&](const std::string& text) {
        return SensorMemoryCommands(text, SensorMemoryStem(colour), SensorMemoryBase(block), lines);
      }))
    return kFailed;
  if (!ctx.Connect()) return kFailed;
  return Outcome(ctx,
                 (args[0] == "load" ? LoadSensorMemory(*ctx.cmd, colour, block, args[3])
                                    : SaveSensorMemory(*ctx.cmd, colour, block, args[3])) == 1);
}

int Fpga(Context& ctx, const std::vector<std::string>& args) {
  std::vector<std::string> a = args;
  if (a.size() == 2 && a[0] == "read") {
    if (!HexArg(a[1], kWordDigits, "OFFSET")) return kUsage;
    if (!ctx.Connect()) return kFailed;
    std::string data;
    if (ReadFpgaRegister(*ctx.cmd, a[1], data) != 1) return Outcome(ctx, false);
    std::cout << data << std::endl;
    return kOk;
  }
  if (a.size() == 3 && a[0] == "write") {
    if (!HexArg(a[1], kWordDigits, "OFFSET") || !HexArg(a[2], kWordDigits, "DATA")) return kUsage;
    if (!ctx.Connect()) return kFailed;
    return SendAndAwait(ctx, FpgaWriteLine(a[1], a[2]));
  }
  if (args.size() == 1 && args[0] == "average") {
    if (!ctx.Connect()) return kFailed;
    std::string s1 = "---", s2 = "---";
    const int ok1 = ReadSampleAverage(*ctx.cmd, 1, s1);
    const int ok2 = ReadSampleAverage(*ctx.cmd, 2, s2);
    std::cout << "Sensor1: " << s1 << "\nSensor2: " << s2 << std::endl;
    return Outcome(ctx, (ok1 & ok2) == 1);
  }
  PrintError("fpga takes: read OFFSET | write OFFSET DATA (hexadecimal) | average");
  return kUsage;
}

std::atomic<bool> gInterrupted{false};
extern "C" void OnInterrupt(int) {
  gInterrupted = true;
}

// Drives the monitor from a plain loop: the poll timer becomes a deadline,
// the indicator is not shown.
class WatchHost : public TemperatureHost {
 public:
  explicit WatchHost(bool json) : json_(json) {}
  void StartTimer(int id, int periodMs) override {
    if (id == TemperatureMonitor::kPollTimer) period = std::chrono::milliseconds(periodMs);
  }
  void StopTimer(int) override {}
  void ShowTemperatures(const std::string& s1, const std::string& s2) override {
    failed = s1 == kTemperatureUnknown || s2 == kTemperatureUnknown;
    if (!json_) {
      std::cout << "Sensor1: " << s1 << "  Sensor2: " << s2 << std::endl;
    } else if (!failed) {
      // {"sensor1": 25.0, "sensor2": 24.9}, one document per reading.
      JsonWriter w;
      w.BeginObject();
      for (const auto& [key, text] : {std::pair{"sensor1", &s1}, {"sensor2", &s2}}) {
        double degrees = 0;
        std::from_chars(text->data(), text->data() + text->size(), degrees);
        w.Key(key).Real(degrees, 1);
      }
      PrintJson(w.EndObject());
    }
  }
  void SetIndicator(bool) override {}
  void ReadingFailed(const Failure& failure) override { Failed(failure); }
  std::chrono::milliseconds period{0};
  bool failed = false;

 private:
  bool json_;
};

int Temp(Context& ctx, const std::vector<std::string>& args) {
  const bool watch = args.size() == 1 && args[0] == "--watch";
  if (!args.empty() && !watch) {
    PrintError("temp takes no arguments but --watch");
    return kUsage;
  }
  if (!ctx.Connect()) return kFailed;
  WatchHost host(ctx.json);
  TemperatureMonitor monitor(*ctx.cmd, host);
  monitor.Open();
  if (!watch) return host.failed ? kFailed : kOk;
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  using Clock = std::chrono::steady_clock;
  while (monitor.Polling()) {
    const auto next = Clock::now() + host.period;
    while (!gInterrupted && Clock::now() < next)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (gInterrupted) return kOk;
    monitor.OnTimer(TemperatureMonitor::kPollTimer);
  }
  PrintError("Sensor2 did not answer; watching stopped");
  return kFailed;
}

int Info(Context& ctx, const std::vector<std::string>& args) {
  if (!args.empty()) {
    PrintError("info takes no arguments");
    return kUsage;
  }
  if (!ctx.Connect()) return kFailed;
  CameraInfo info;
  const int read = RefreshCameraData(*ctx.cmd, info);
  auto trim = [](const std::string& s) {
    return s.substr(std::min(s.find_first_not_of(' '), s.size()));
  };
  const std::pair<const char*, std::string> fields[] = {
      {"Model Name", info.modelName},
      {"Camera ID", info.cameraId},
      {"Firmware Version", trim(info.firmwareVersion)},
      {"FPGA2 Version", trim(info.fpga2Version)},
      {"FPGA1 Version", trim(info.fpga1Version)},
      {"User ID", info.userId}};
  if (!ctx.json) {
    for (int i = 0; i < read; ++i)
      std::cout << fields[i].first << ": " << Printable(fields[i].second) << "\n";
    std::cout << std::flush;
  }
  if (read < 6) {
    PrintError(std::string("no answer to the query of ") + fields[read].first + "\n" +
               ctx.cmd->LastFailure().text);
    return kFailed;
  }
  if (ctx.json) {
    // {"model_name": "...", "camera_id": "...", ...}: the labels in snake case.
    JsonWriter w;
    w.BeginObject();
    for (const auto& [label, value] : fields) {
      std::string key = label;
      for (char& c : key)
        c = c == ' ' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      w.Key(key).String(value);
    }
    PrintJson(w.EndObject());
  }
  return kOk;
}

int UserId(Context& ctx, const std::vector<std::string>& args) {
  if (args.size() != 2 || args[0] != "set") {
    PrintError("user-id takes: set TEXT (at most 16 characters)");
    return kUsage;
  }
  if (!ctx.Connect()) return kFailed;
  if (SaveUserId(*ctx.cmd, args[1]) != 1) return Outcome(ctx, false);
  if (ctx.settings.offline != 1)
    ctx.ui.Report(UserIdSavedText(args[1]), MsgIcon::Information, MsgButtons::Ok, {});
  return kOk;
}

int CameraId(Context& ctx, const std::vector<std::string>& args) {
  if (args.size() != 2 || args[0] != "set" || args[1].empty() ||
      args[1].size() > static_cast<size_t>(kCameraIdLength) || !OneLine(args)) {
    PrintError("camera-id takes: set ID (1 to 10 characters)");
    return kUsage;
  }
  if (!ctx.Connect()) return kFailed;
  CameraIdBoxes boxes;
  for (size_t i = 0; i < args[1].size(); ++i)
    boxes[i] = args[1].substr(i, 1);
  const int ok = SaveCameraId(*ctx.cmd, boxes);
  // The panel keeps the ID it last set; so does this tool, as the panel would.
  if (ctx.settings.cameraId == args[1]) {
    SettingsStore store;
    store.SetText("Camera Id", ctx.settings.cameraId);
    store.Sync();
  }
  if (ok != 1) return Outcome(ctx, false);
  ctx.ui.Report(CameraIdSavedText(ctx.settings.cameraId), MsgIcon::Information, MsgButtons::Ok, {});
  return kOk;
}

int TerminalRoutine(Context& ctx, const std::vector<std::string>& args) {
  PixelCorrectionKind kind{};
  if (args.size() == 4 && args[0] == "write-correction" && KindArg(args[1], kind) &&
      (args[2] == "factory" || args[2] == "user")) {
    ColourTables tables;
    if (!CheckedInput(args[3], DataFileCap(3 * kTerminalPixels),
                      [&](const std::string& text) { return ParseCorrectionText(text, tables); }))
      return kFailed;
    if (!ctx.Connect()) return kFailed;
    return Outcome(ctx, WriteCorrectionData(
                            *ctx.cmd, kind,
                            args[2] == "factory" ? PixelStoreArea::Factory : PixelStoreArea::User,
                            args[3]) == 1);
  }
  if (args.size() == 3 && (args[0] == "read-correction" || args[0] == "read-video") &&
      KindArg(args[1], kind)) {
    if (!ctx.Connect()) return kFailed;
    return Outcome(
        ctx, (args[0] == "read-video" ? ReadVideoData(*ctx.cmd, kind, args[2])
                                      : ReadCorrectionData(*ctx.cmd, ctx.ui, kind, args[2])) == 1);
  }
  PrintError(
      "terminal-routine takes: write-correction black|gain factory|user FILE.txt | "
      "read-correction black|gain FILE.csv | read-video black|gain FILE.csv");
  return kUsage;
}

const Registrar kRegistrar{
    {"dump", "dump ADDR SIZE FILE.csv       dump SIZE memory words from ADDR (hex) into a file",
     Dump},
    {"memwrite", "memwrite ADDR DATA           write one memory word (hex)", MemWrite,
     Output::Text},
    {"afe", "afe write SEL ADDR DATA | load FILE | save FILE   AFE registers", Afe},
    {"sensor-memory", "sensor-memory load|save COLOR BLOCK FILE | switch sensor|trigger on|off",
     SensorMemory},
    {"fpga", "fpga read OFF | write OFF DATA | average   FPGA registers (hex), sample averages",
     Fpga, Output::Text},
    {"temp", "temp [--watch]               sensor temperatures (every 5 s with --watch)", Temp,
     Output::Json},
    {"info", "info                         model, camera ID, versions and user ID", Info,
     Output::Json},
    {"user-id", "user-id set TEXT             write the user ID (at most 16 characters)", UserId},
    {"camera-id", "camera-id set ID             unlock and write the camera ID", CameraId},
    {"terminal-routine",
     "terminal-routine write-correction|read-correction|read-video ...   pixel correction "
     "routines",
     TerminalRoutine},
};

}  // namespace
}  // namespace kestrel::ctl
