#include "correction/calibration.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <thread>

#include "base/settings.h"
#include "base/translate.h"
#include "base/user_interface.h"
#include "correction/data_transfer.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

namespace {

// Operator prompts. The factory's operators read them in Japanese, the
// translation the windows load under a Japanese locale.
constexpr const char* kShadeLight = KESTREL_TR_NOOP("Kestrel", "Shade the sensor from all light.");
constexpr const char* kPrnuLevel800 =
    KESTREL_TR_NOOP("Kestrel", "Adjust the light until every colour's level is about 800 LSB.");
constexpr const char* kPrnuLevel150 =
    KESTREL_TR_NOOP("Kestrel", "Adjust the light until every colour's level is about 150 LSB.");
constexpr const char* kColumnInitial =
    KESTREL_TR_NOOP("Kestrel", "Shade the sensor from all light, then press Start.");
constexpr const char* kColumnAdjust =
    KESTREL_TR_NOOP("Kestrel",
                    "Adjust Analog Black until every colour's level is about 96 LSB "
                    "(its minimum must not go below 32).");
constexpr std::array<const char*, 3> kReadoutPrompts = {
    KESTREL_TR_NOOP("Kestrel", "Adjust the red level to about 800 LSB."),
    KESTREL_TR_NOOP("Kestrel", "Adjust the green level to about 800 LSB."),
    KESTREL_TR_NOOP("Kestrel", "Adjust the blue level to about 800 LSB."),
};

constexpr const char* kShadingDone = "Completed the Auto Flat Shading Correction.";
constexpr const char* kGainDone = "Completed the Auto PRNU Pixel Gain Correction.";
constexpr const char* kBlackDone = "Completed the Auto Pixel Black Correction.";

constexpr std::array<CorrectionTarget, kCorrectionTargets> kTargets{{
    {"Shading Correction", "Flat Shading", "SDC", "Please turn on the light", "SDR", "SDR0", 45000,
     "SDS", kShadingDone, 1},
    {"Pixel Gain Correction", "PRNU correction", "PGC", "Please turn on the light", "PGR", "PGR0",
     120000, "PGS", kGainDone, 1},
    {"Pixel Black Correction", "Run", "PBC", "Please shade the light", "PBR", "PBR0", 45000, "PBS",
     kBlackDone, 1},
    {"Shading Correction", "Flat Shading", "SDC2", "Please turn on the light", "SDR2", "SDR02",
     45000, "SDS2", kShadingDone, 2},
    {"Pixel Gain Correction", "PRNU correction", "PGC2", "Please turn on the light", "PGR2",
     "PGR02", 120000, "PGS2", kGainDone, 2},
    {"Pixel Black Correction", "Run", "PBC2", "Please shade the light", "PBR2", "PBR02", 45000,
     "PBS2", kBlackDone, 2},
}};

constexpr std::array<const char*, 3> kSettingTexts = {"Off (Bypass)", "Factory", "User"};

int Row(const CCamCmd& cmd, const char* mnemonic) {
  return cmd.Table().Find(mnemonic);
}

bool Prompt(Reporter& reporter, const char* text, const char* caption) {
  return reporter.Report(text, MsgIcon::Information, MsgButtons::OkCancel, caption) ==
         MsgAnswer::Ok;
}

// A step of the factory sequences: the sequences run to their end whatever
// the camera says, and the operator hears of a step that failed at once.
void Tell(CCamCmd& cmd, Reporter& reporter, int ok) {
  const Failure& failure = cmd.LastFailure();
  if (ok != 1 && failure.kind != FailureKind::Cancelled)
    reporter.Report(failure.text, failure.icon, MsgButtons::Ok, failure.caption);
}

void Set(CCamCmd& cmd, Reporter& reporter, const char* mnemonic, int value, int timeoutMs) {
  const int row = Row(cmd, mnemonic);
  if (row >= 0) Tell(cmd, reporter, cmd.SetInt(row, value, timeoutMs));
}

// A raw line of the factory sequences.
void RawLine(CCamCmd& cmd, Reporter& reporter, const std::string& line, int waitMs) {
  cmd.ClearReceive();
  cmd.SendCommand(line + "\r\n", 1);
  Tell(cmd, reporter, cmd.WaitComplete(waitMs, 1));
}

// A hexadecimal AFE table line: "AFR=7C,1F".
std::string AfeLine(const std::string& table, int row, int value) {
  char text[48];
  std::snprintf(text, sizeof text, "%s=%X,%X", table.c_str(), static_cast<unsigned>(row),
                static_cast<unsigned>(value));
  return text;
}

// Before a calibration changes anything: what it is about to change. When a
// value cannot be read the operator is told and nothing is changed.
bool RecordAll(CCamCmd& cmd, Reporter& reporter, CalibrationUndo& undo,
               std::initializer_list<const char*> mnemonics) {
  for (const char* m : mnemonics)
    if (!undo.Record(cmd, m)) {
      Tell(cmd, reporter, 0);
      return false;
    }
  return true;
}

// An operator prompt of a calibration that has changed the camera: Cancel
// puts back what it changed.
bool PromptOrUndo(CCamCmd& cmd, Reporter& reporter, CalibrationUndo& undo, const char* text,
                  const char* caption) {
  if (Prompt(reporter, text, caption)) return true;
  undo.Restore(cmd, reporter);
  return false;
}

}  // namespace

// ---------------------------------------------------------------- undo

bool CalibrationUndo::Record(CCamCmd& cmd, const char* mnemonic) {
  const int row = Row(cmd, mnemonic);
  int value = 0;
  if (row < 0) return cmd.Fail(FailureKind::BadInput, std::string("No command ") + mnemonic) == 1;
  if (cmd.QueryInt(row, value, 3000) != 1)
    return FailAfterExchange(cmd, std::string("Could not read ") + mnemonic +
                                      " before changing it; nothing was changed.") == 1;
  entries_.push_back({mnemonic, row, 0, value});
  commands_.push_back(mnemonic);
  return true;
}

bool CalibrationUndo::RecordAfeRow(CCamCmd& cmd, const char* table, int row) {
  char query[32];
  std::snprintf(query, sizeof query, "%s?%X", table, static_cast<unsigned>(row));
  cmd.ClearReceive();
  cmd.SendCommand(std::string(query) + "\r\n", 1);
  const std::string what =
      std::string("Could not read ") + query + " before changing it; nothing was changed.";
  if (cmd.WaitLine(1, 3000) != 1) {
    cmd.FailUnanswered();
    return FailAfterExchange(cmd, what) == 1;
  }
  // "AFR=1F": the register's value, hexadecimal and whole.
  const std::string line = cmd.PopLine();
  const std::string head = std::string(table) + "=";
  unsigned value = 0;
  const char* first = line.data() + head.size();
  const char* last = line.data() + line.size();
  if (line.rfind(head, 0) != 0 || first == last ||
      std::from_chars(first, last, value, 16).ptr != last || value > 0xFFFF)
    return cmd.Fail(FailureKind::Unreadable, line + " for " + query + "\n" + what) == 1;
  entries_.push_back({table, -1, row, static_cast<int>(value)});
  return true;
}

void CalibrationUndo::Restore(CCamCmd& cmd, Reporter& reporter) {
  for (auto e = entries_.rbegin(); e != entries_.rend(); ++e) {
    if (e->row >= 0)
      Tell(cmd, reporter, cmd.SetInt(e->row, e->value, 10000));
    else
      RawLine(cmd, reporter, AfeLine(e->mnemonic, e->afeRow, e->value), 10000);
  }
  entries_.clear();
}

const CorrectionTarget& CorrectionTargetOf(int target) {
  return kTargets[static_cast<size_t>(std::clamp(target, 0, kCorrectionTargets - 1))];
}

const std::array<const char*, 3>& CorrectionSettingTexts() {
  return kSettingTexts;
}

bool RunButtonEnabled(int setting, int operatingMode) {
  if (setting == 2) return true;
  if (setting == 1) return operatingMode == kModeFactory;
  return false;
}

AutoCorrectionResult RunAutoCorrection(CCamCmd& cmd, Reporter& operatorPrompts, int target,
                                       int setting, const CalibrationTiming& timing) {
  if (target < 0 || target >= kCorrectionTargets || (setting != 1 && setting != 2)) {
    cmd.Fail(FailureKind::BadInput, "Nothing to run for this correction setting");
    return AutoCorrectionResult::NotRun;
  }
  const CorrectionTarget& t = kTargets[static_cast<size_t>(target)];
  if (!Prompt(operatorPrompts, t.prompt, t.title)) {
    cmd.Fail(FailureKind::Cancelled, "cancelled; nothing was started");
    return AutoCorrectionResult::Cancelled;
  }

  CCamCmd::LinkOwner owner(cmd);
  const int runRow = Row(cmd, setting == 1 ? t.runFactory : t.runUser);
  if (runRow < 0) {
    cmd.Fail(FailureKind::BadInput, std::string("No run command for ") + t.title);
    return AutoCorrectionResult::RunFailed;
  }
  if (cmd.SetInt(runRow, 0, t.runWaitMs) != 1) return AutoCorrectionResult::RunFailed;

  const int statusRow = Row(cmd, t.statusCommand);
  int status = 0;
  int zeroPolls = 0;
  for (;;) {
    if (cmd.QueryInt(statusRow, status, timing.queryTimeoutMs) != 1) {
      FailAfterExchange(cmd, "Timeout - Request.");
      return AutoCorrectionResult::NoStatus;
    }
    if (status != 0) break;
    if (++zeroPolls >= timing.maxZeroPolls) {
      cmd.Fail(FailureKind::NoAnswer, "Timeout by Kestrel.");
      return AutoCorrectionResult::StillRunning;
    }
    if (timing.pollIntervalMs > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(timing.pollIntervalMs));
  }
  switch (status) {
    case 1:
      return AutoCorrectionResult::Completed;
    case 2:
      cmd.Fail(FailureKind::Rejected, "Error1 - Image was too bright.");
      break;
    case 3:
      cmd.Fail(FailureKind::Rejected, "Error2 - Image was too dark.");
      break;
    case 4:
      cmd.Fail(FailureKind::Rejected, "Error3 - Timeout error occurred.");
      break;
    default:
      cmd.Fail(FailureKind::Rejected, "Unknown error occurred.");
      break;
  }
  return AutoCorrectionResult::CameraError;
}

int TapGainBalance(CCamCmd& cmd, int sensor) {
  const int row = Row(cmd, sensor == 1 ? "ATBF" : "ATBF2");
  if (row < 0) return cmd.Fail(FailureKind::BadInput, "Failed");
  if (cmd.SetInt(row, 0, 60000) == 1) return 1;
  return FailAfterExchange(cmd, "Failed");
}

std::array<int, 8> TapGainRows(const CCamCmd& cmd, int sensor) {
  const std::string prefix = sensor == 1 ? "GA1T" : "GA2T";
  std::array<int, 8> rows{};
  rows[0] = Row(cmd, (prefix + "1").c_str());
  for (int tap = 2; tap <= 8; ++tap)
    rows[static_cast<size_t>(tap - 1)] = Row(cmd, (prefix + std::to_string(tap) + "F").c_str());
  return rows;
}

std::string PrnuSecondStepLine(int sensor) {
  // Sensor 2 uses the same command as its first step, with the sensor suffix
  // at the end like every other sensor-2 command of the camera.
  return sensor == 1 ? "PGL=1" : "PGL2=1";
}

int PrnuCalibration(CCamCmd& cmd, Reporter& reporter, int sensor, CalibrationUndo* undo) {
  const bool first = sensor == 1;
  const char* caption = "PRNU Calibration";
  CalibrationUndo own;
  CalibrationUndo& was = undo ? *undo : own;
  if (!RecordAll(cmd, reporter, was, {first ? "TR" : "TR2", first ? "GA1T1" : "GA2T1"})) return 0;
  Set(cmd, reporter, first ? "TR" : "TR2", 1, 3000);
  Set(cmd, reporter, first ? "GA1T1" : "GA2T1", 0, 3000);
  if (!PromptOrUndo(cmd, reporter, was, kPrnuLevel800, caption)) return 0;
  RawLine(cmd, reporter, first ? "PGL=0" : "PGL2=0", 40000);
  if (!PromptOrUndo(cmd, reporter, was, kPrnuLevel150, caption)) return 0;
  RawLine(cmd, reporter, PrnuSecondStepLine(sensor), 40000);
  return 1;
}

int FpldCalibration(CCamCmd& cmd, Reporter& reporter) {
  if (!Prompt(reporter, kShadeLight, "FPLD Calibration")) return 0;
  RawLine(cmd, reporter, "FPLD=0", 40000);
  return 1;
}

const char* ColumnCalibration::InitialMessage() {
  return kColumnInitial;
}
const char* ColumnCalibration::AdjustMessage() {
  return kColumnAdjust;
}

bool ColumnCalibration::Start(CCamCmd& cmd, Reporter& reporter) {
  if (step_ != 0) return false;
  undo_ = {};
  if (!RecordAll(cmd, reporter, undo_, {"GA1T1", "GA2T1", "BYP"})) return false;
  for (const char* table : {"AFR", "AFG", "AFB"})
    if (!undo_.RecordAfeRow(cmd, table, kBlackRegister)) {
      Tell(cmd, reporter, 0);
      return false;
    }
  Set(cmd, reporter, "GA1T1", 0, 10000);
  Set(cmd, reporter, "GA2T1", 0, 10000);
  RawLine(cmd, reporter, "AFM=7C,0", 10000);
  Set(cmd, reporter, "BYP", 1, 10000);
  step_ = 1;
  return true;
}

void ColumnCalibration::SetBlack(CCamCmd& cmd, Reporter& reporter, int colour, int value) {
  static constexpr const char* kTables[] = {"AFR", "AFG", "AFB"};
  if (step_ != 1 || colour < 0 || colour > 2) return;
  RawLine(cmd, reporter, AfeLine(kTables[colour], kBlackRegister, std::clamp(value, 0, 255)),
          10000);
}

bool ColumnCalibration::Ok(CCamCmd& cmd, Reporter& reporter) {
  if (step_ != 1) return false;
  RawLine(cmd, reporter, "CBC0=0,0", 50000);
  RawLine(cmd, reporter, "AFM=7C,0", 10000);
  RawLine(cmd, reporter, "CBC0=0,1", 50000);
  Set(cmd, reporter, "BYP", 0, 10000);
  Set(cmd, reporter, "SA00", 0, 20000);
  step_ = 0;
  return true;
}

void ColumnCalibration::Cancel(CCamCmd& cmd, Reporter& reporter) {
  if (step_ != 1) return;
  undo_.Restore(cmd, reporter);
  step_ = 0;
}

int ReadoutCalibration(CCamCmd& cmd, Reporter& reporter, int colour, CalibrationUndo* undo) {
  colour = std::clamp(colour, 0, 2);
  CalibrationUndo own;
  CalibrationUndo& was = undo ? *undo : own;
  const char* caption = "Readout CH Calibration";
  if (!RecordAll(cmd, reporter, was, {"GA1T1", "GA2T1"})) return 0;
  Set(cmd, reporter, "GA1T1", 0, 10000);
  Set(cmd, reporter, "GA2T1", 0, 10000);
  const std::string c = std::to_string(colour);
  for (int pass = 0; pass < 2; ++pass) {
    if (!PromptOrUndo(cmd, reporter, was, kShadeLight, caption)) return 0;
    RawLine(cmd, reporter, "CBC0=1," + c + ",0", 50000);
    if (!PromptOrUndo(cmd, reporter, was, kReadoutPrompts[static_cast<size_t>(colour)], caption))
      return 0;
    RawLine(cmd, reporter, "CBC0=1," + c + ",1", 50000);
  }
  Set(cmd, reporter, "SA00", 0, 20000);
  return 1;
}

}  // namespace kestrel
