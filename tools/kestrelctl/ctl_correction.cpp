// correction, lut, aberration, calibrate: bulk data between the camera and
// files, and the camera's automatic corrections.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <vector>

#include "base/text_file.h"
#include "correction/aberration.h"
#include "correction/calibration.h"
#include "correction/data_file.h"
#include "correction/data_transfer.h"
#include "correction/lut_table.h"
#include "ctl.h"

namespace kestrel::ctl {
namespace {

bool ParseSensor(const std::string& text, int& sensor) {
  if (text != "1" && text != "2") {
    PrintError("SENSOR is 1 or 2, not " + text);
    return false;
  }
  sensor = text == "1" ? 1 : 2;
  return true;
}

bool ParseKind(const std::string& text, CorrectionKind& kind) {
  if (ParseCorrectionKind(text, kind)) return true;
  std::string names;
  for (int k = 0; k < kCorrectionKindCount; ++k)
    names += std::string(k ? ", " : "") + InfoOf(static_cast<CorrectionKind>(k)).name;
  PrintError("unknown kind " + text + " (one of " + names + ")");
  return false;
}

// Operator prompts ask on a terminal; in a script (no terminal on stdin) the
// command line itself is the operator's go-ahead.
class OperatorPrompts : public Reporter {
 public:
  explicit OperatorPrompts(TerminalUi& inner) : inner_(inner) {}
  MsgAnswer Report(const std::string& text, MsgIcon icon, MsgButtons buttons,
                   const std::string& caption) override {
    if (buttons != MsgButtons::OkCancel || ::isatty(STDIN_FILENO) != 1)
      return inner_.Report(text, icon, buttons, caption);
    std::cerr << (caption.empty() ? "" : caption + ": ") << text
              << "\n[Enter] continue, [c Enter] cancel: " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return MsgAnswer::Cancel;
    return answer.empty() ? MsgAnswer::Ok : MsgAnswer::Cancel;
  }

 private:
  TerminalUi& inner_;
};

// kOk after the operation's message; else why it failed: kFailed.
int Done(Context& ctx, int ok, const std::string& message) {
  if (ok != 1) return Outcome(ctx, false);
  ctx.ui.Report(message, MsgIcon::Information, MsgButtons::Ok, {});
  return kOk;
}

// --verify: the written array read back; the first element that differs
// fails the command.
bool TakeVerify(std::vector<std::string>& args) {
  return std::erase(args, std::string("--verify")) > 0;
}

int Verified(Context& ctx, const int32_t* written, const int32_t* held, int count,
             const std::string& noun, const std::string& message) {
  if (Failure failure = CompareReadBack(written, held, count, noun)) return Failed(failure);
  return Done(ctx, 1, message);
}

int Correction(Context& ctx, const std::vector<std::string>& given) {
  const std::string op = given.empty() ? "" : given[0];
  std::vector<std::string> args = given;
  const bool verify = op == "write" && TakeVerify(args);
  const bool json = op == "stats" && (std::erase(args, std::string("--json")) > 0 || ctx.json);
  const bool transfer = op == "read" || op == "write";
  const bool stats = op == "stats" && (args.size() == 3 || args.size() == 4);
  if (!((transfer && args.size() == 4) || (op == "store" && args.size() == 3) || stats)) {
    PrintError(
        "correction read|write KIND SENSOR FILE.csv, correction store KIND SENSOR, or correction "
        "stats KIND SENSOR [FILE.csv] [--json]");
    return kUsage;
  }
  CorrectionKind kind{};
  int sensor = 1;
  if (!ParseKind(args[1], kind) || !ParseSensor(args[2], sensor)) return kUsage;
  if (stats) return CorrectionStats(ctx, kind, sensor, args.size() == 4 ? args[3] : "", json);
  if (op == "store" && !HasStoreCommand(kind)) {
    PrintError(std::string("the camera has no store command for ") + InfoOf(kind).name +
               " (pixel-black, pixel-gain and the shading kinds have one)");
    return kUsage;
  }
  // A file to send is read and checked whole before the port is opened.
  std::vector<int32_t> values;
  if (op == "write") {
    if (Failure failure = ReadCorrectionFile(kind, args[3], values)) return Failed(failure);
  }
  if (!ctx.Connect()) return kFailed;
  TransferTiming timing;
  timing.ackTimeoutMs = timing.replyTimeoutMs = ctx.timeoutMs;
  CDataTransfer engine(*ctx.cmd, timing);
  if (op == "read")
    return Done(ctx, SaveCorrectionFile(engine, kind, args[3], sensor), InfoOf(kind).saveMessage);
  if (op == "write") {
    const int written = engine.WriteCorrection(kind, values.data(), sensor);
    if (written != 1 || !verify) return Done(ctx, written, InfoOf(kind).loadMessage);
    std::vector<int32_t> held(values.size());
    if (!engine.ReadCorrection(kind, held.data(), sensor)) return Outcome(ctx, false);
    return Verified(ctx, values.data(), held.data(), static_cast<int>(values.size()), "pixel",
                    InfoOf(kind).loadMessage);
  }
  return Done(ctx, engine.StoreCorrection(kind, sensor), StoredText(kind));
}

bool ParseChannel(const std::string& text, int& channel) {
  if (text != "1" && text != "2") {
    PrintError("CH is 1 or 2, not " + text);
    return false;
  }
  channel = text == "1" ? 0 : 1;
  return true;
}

int Lut(Context& ctx, const std::vector<std::string>& given) {
  std::vector<std::string> args = given;
  const bool verify = TakeVerify(args);
  int channel = 0;
  if (args.size() != 3 || (args[0] != "read" && args[0] != "write")) {
    PrintError("lut read|write CH FILE");
    return kUsage;
  }
  if (!ParseChannel(args[1], channel)) return kUsage;
  LutTable table{};
  if (args[0] == "write") {
    if (Failure failure = LoadGammaFile(args[2], table)) return Failed(failure);
    if (!ctx.Connect()) return kFailed;
    if (WriteLutTable(*ctx.cmd, channel, table, ctx.timeoutMs) != 1) return Outcome(ctx, false);
    if (!verify) return kOk;
    LutTable held{};
    if (ReadLutTable(*ctx.cmd, channel, held, ctx.timeoutMs) != kLutEntries)
      return Outcome(ctx, false);
    if (Failure failure = CompareReadBack(table.data(), held.data(), kLutEntries, "entry"))
      return Failed(failure);
    return kOk;
  }
  if (!ctx.Connect()) return kFailed;
  const int read = ReadLutTable(*ctx.cmd, channel, table, ctx.timeoutMs);
  if (read < kLutEntries) {
    return Failed(Failure(ctx.cmd->LastFailure().kind,
                          ctx.cmd->LastFailure().text + "\nthe camera stopped answering at entry " +
                              std::to_string(read) + "; no file written"));
  }
  if (Failure failure = SaveGammaFile(args[2], table)) return Failed(failure);
  return kOk;
}

int Aberration(Context& ctx, const std::vector<std::string>& given) {
  std::vector<std::string> args = given;
  const bool verify = TakeVerify(args);
  if (args.size() != 2 || (args[0] != "read" && args[0] != "write")) {
    PrintError("aberration read|write FILE");
    return kUsage;
  }
  AberrationTable table{};
  if (args[0] == "write") {
    if (Failure failure = ReadAberrationFile(args[1], table)) return Failed(failure);
  }
  if (!ctx.Connect()) return kFailed;
  if (args[0] == "read")
    return Done(ctx, SaveAberrationFile(*ctx.cmd, args[1], ctx.timeoutMs), kAberrationSavedText);
  const int written = WriteAberrationTable(*ctx.cmd, table, ctx.timeoutMs);
  if (written != 1 || !verify) return Done(ctx, written, kAberrationLoadedText);
  AberrationTable held{};
  if (!ReadAberrationTable(*ctx.cmd, held, ctx.timeoutMs)) return Outcome(ctx, false);
  return Verified(ctx, table.data(), held.data(), kAberrationValues, "entry",
                  kAberrationLoadedText);
}

// Targets by name: the kind and the sensor, as the panel's buttons show them.
constexpr const char* kTargetNames[kCorrectionTargets] = {"shading1", "gain1", "black1",
                                                          "shading2", "gain2", "black2"};

int Calibrate(Context& ctx, const std::vector<std::string>& args) {
  int target = -1;
  int setting = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--setting" && i + 1 < args.size()) {
      const std::string& s = args[++i];
      setting = s == "factory" ? 1 : s == "user" ? 2 : -1;
    } else {
      for (int t = 0; t < kCorrectionTargets; ++t)
        if (args[i] == kTargetNames[t]) target = t;
      if (target < 0) break;
    }
  }
  if (target < 0 || setting <= 0) {
    PrintError(
        "calibrate TARGET --setting factory|user; TARGET is shading1, gain1, black1, shading2, "
        "gain2 or black2");
    return kUsage;
  }
  if (!RunButtonEnabled(setting, ctx.settings.operatingMode)) {
    PrintError("a factory calibration needs the FACTORY operating mode (\"Active Mode\")");
    return kUsage;
  }
  if (!ctx.Connect()) return kFailed;
  const CorrectionTarget& t = CorrectionTargetOf(target);
  // The setting selects the table the run fills, as choosing it in the
  // correction dialog does.
  const int settingRow = ctx.cmd->Table().Find(t.settingCommand);
  if (ctx.cmd->SetInt(settingRow, setting, ctx.timeoutMs) != 1) {
    return Failed(Failure(ctx.cmd->LastFailure().kind,
                          ctx.cmd->LastFailure().text + "\nthe camera did not take " +
                              t.settingCommand + "=" + std::to_string(setting)));
  }
  OperatorPrompts prompts(ctx.ui);
  const AutoCorrectionResult r = RunAutoCorrection(*ctx.cmd, prompts, target, setting);
  return Done(ctx, r == AutoCorrectionResult::Completed ? 1 : 0, t.completedText);
}

const Registrar kRegistrar{
    {"correction",
     "correction read|write [--verify] KIND SENSOR FILE.csv | correction store KIND SENSOR\n"
     "                             move a correction array (pixel-black, high-black, pixel-gain,\n"
     "                             high-gain, shading-offset, shading-slope) camera<->file\n"
     "correction stats [--json] KIND SENSOR [FILE.csv]\n"
     "                             count, min, max, mean, std dev and outlier pixels of an array",
     Correction},
    {"lut", "lut read|write [--verify] CH FILE  LUT of channel 1 or 2 <-> gamma data file", Lut},
    {"aberration", "aberration read|write [--verify] FILE  chromatic aberration table <-> file",
     Aberration},
    {"calibrate",
     "calibrate TARGET --setting factory|user\n"
     "                             run an automatic correction (shading1, gain1, black1,\n"
     "                             shading2, gain2, black2) and follow it to its result",
     Calibrate},
};

}  // namespace
}  // namespace kestrel::ctl
