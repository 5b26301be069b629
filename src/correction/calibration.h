#pragma once

#include <array>
#include <string>
#include <vector>

namespace kestrel {

class CCamCmd;
class Reporter;

// ---------------------------------------------------------------- automatic correction

// One of the six automatic corrections of the correction dialog.
struct CorrectionTarget {
  const char* title;           // window title and prompt caption
  const char* runText;         // run button text
  const char* settingCommand;  // 0 "Off (Bypass)", 1 "Factory", 2 "User"
  const char* prompt;          // shown with OK and Cancel before the run
  const char* runUser;         // run command when the setting is "User"
  const char* runFactory;      // run command when the setting is "Factory"
  int runWaitMs;
  const char* statusCommand;
  const char* completedText;
  int sensor;
};

inline constexpr int kCorrectionTargets = 6;
// 0..2 shading, pixel gain, pixel black of sensor 1; 3..5 the same of sensor 2.
const CorrectionTarget& CorrectionTargetOf(int target);

// The setting list's entries, in order: "Off (Bypass)", "Factory", "User".
const std::array<const char*, 3>& CorrectionSettingTexts();

// The run button works for "User" always and for "Factory" only in the FACTORY
// operating mode; never for "Off (Bypass)".
bool RunButtonEnabled(int setting, int operatingMode);

struct CalibrationTiming {
  int queryTimeoutMs = 3000;
  int pollIntervalMs = 20;
  int maxZeroPolls = 1000;  // "Timeout by Kestrel." at this many zero statuses
};

// Every result but Completed leaves its message in the command object's
// LastFailure; Completed's message is the target's completedText.
enum class AutoCorrectionResult {
  NotRun,        // setting "Off (Bypass)" or a bad target: nothing sent
  Cancelled,     // the operator cancelled the prompt: nothing sent
  RunFailed,     // the run command was not acknowledged (the reason)
  NoStatus,      // "Timeout - Request." after the reason
  StillRunning,  // "Timeout by Kestrel."
  Completed,     // status 1
  CameraError,   // status 2..4 or unknown, with its message
};

// The run button: the prompt (to the operator), the run command (Factory or
// User form by the setting) and the status polling.
[[nodiscard]] AutoCorrectionResult RunAutoCorrection(CCamCmd& cmd, Reporter& operatorPrompts,
                                                     int target, int setting,
                                                     const CalibrationTiming& timing = {});

// ---------------------------------------------------------------- tap gain balance

// ATBF / ATBF2 with 60 s; on failure the reason and "Failed". On success the
// caller says kTapGainDoneText and re-reads the eight tap gains of
// TapGainRows(sensor).
[[nodiscard]] int TapGainBalance(CCamCmd& cmd, int sensor);
inline constexpr const char* kTapGainDoneText = "Completed";
std::array<int, 8> TapGainRows(const CCamCmd& cmd, int sensor);

// ---------------------------------------------------------------- factory sequences

// The sequences run to their end whatever the camera answers: each command
// the camera rejects or leaves unanswered is told to the operator on the spot,
// with the prompts, through the reporter.

// What a calibration is about to change, read from the camera before the
// first change, so that a Cancel at any of its prompts can put it back.
class CalibrationUndo {
 public:
  // Reads a table command's value (an integer row). False, with the reason in
  // LastFailure(), when the camera does not report it whole: the calibration
  // then changes nothing.
  [[nodiscard]] bool Record(CCamCmd& cmd, const char* mnemonic);
  // The same for one row of an AFE register table ("AFR", "AFG", "AFB"),
  // whose values are hexadecimal.
  [[nodiscard]] bool RecordAfeRow(CCamCmd& cmd, const char* table, int row);
  // Writes every recorded value back, the last recorded first; a write the
  // camera refuses is told through the reporter. Forgets them.
  void Restore(CCamCmd& cmd, Reporter& reporter);
  // The table commands recorded so far, for the panel to read again.
  const std::vector<std::string>& Commands() const { return commands_; }

 private:
  struct Entry {
    std::string mnemonic;
    int row = -1;  // table row, or -1 for an AFE table row
    int afeRow = 0;
    int value = 0;
  };
  std::vector<Entry> entries_;
  std::vector<std::string> commands_;
};

// The second step's line for a sensor: "PGL=1" or "PGL2=1".
std::string PrnuSecondStepLine(int sensor);
// Returns 1 when the sequence ran to its end, 0 when the operator cancelled
// (TR and the first tap gain are put back) or they could not be read first.
// `undo` (optional) keeps what was recorded, for the panel's re-read.
int PrnuCalibration(CCamCmd& cmd, Reporter& reporter, int sensor, CalibrationUndo* undo = nullptr);
int FpldCalibration(CCamCmd& cmd, Reporter& reporter);

// The column buffer calibration, stepped by the operator: Start, then OK.
class ColumnCalibration {
 public:
  static const char* InitialMessage();
  static const char* AdjustMessage();
  // The AFE register of the analogue black level: "AFM=7C,..." sets it for
  // every colour, "AFR", "AFG", "AFB" for one.
  static constexpr int kBlackRegister = 0x7C;

  int Step() const { return step_; }
  // Step 0 -> 1: records the tap gains, the bypass and the black register of
  // each colour, then tap gains 0, AFM=7C,0, bypass on. The dialog then shows
  // AdjustMessage() and the A.Black entries. False (nothing changed) when the
  // values could not be recorded.
  bool Start(CCamCmd& cmd, Reporter& reporter);
  // At step 1: one colour's analogue black (0 red, 1 green, 2 blue), 0..255.
  void SetBlack(CCamCmd& cmd, Reporter& reporter, int colour, int value);
  // Step 1 -> 0: both calibration passes and the store. Returns true when it
  // ran (the dialog closes with OK).
  bool Ok(CCamCmd& cmd, Reporter& reporter);
  // Step 1 -> 0 without calibrating: the recorded values go back.
  void Cancel(CCamCmd& cmd, Reporter& reporter);
  const CalibrationUndo& Undo() const { return undo_; }

 private:
  int step_ = 0;
  CalibrationUndo undo_;
};

// The readout channel calibration for a colour: 0 red, 1 green, 2 blue.
// Returns 1 when it ran to its end, 0 when the operator cancelled a prompt
// (the tap gains are put back) or they could not be read first.
inline constexpr std::array<const char*, 3> kReadoutColours = {"Red", "Green", "Blue"};
int ReadoutCalibration(CCamCmd& cmd, Reporter& reporter, int colour,
                       CalibrationUndo* undo = nullptr);

}  // namespace kestrel
