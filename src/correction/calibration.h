#pragma once

#include <array>
#include <string>

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

// The second step's line for a sensor: "PGL=1" or "PGL2=1".
std::string PrnuSecondStepLine(int sensor);
// Returns 1 when the sequence ran to its end, 0 when the operator cancelled.
int PrnuCalibration(CCamCmd& cmd, Reporter& reporter, int sensor);
int FpldCalibration(CCamCmd& cmd, Reporter& reporter);

// The column buffer calibration, stepped by the operator: Start, then OK twice.
class ColumnCalibration {
 public:
  static const char* InitialMessage();
  static const char* AdjustMessage();

  int Step() const { return step_; }
  // Step 0 -> 1: bypass on, tap gains 0, AFM=7C,0. The dialog then shows
  // AdjustMessage() and the A.Black entries.
  void Start(CCamCmd& cmd, Reporter& reporter);
  // Step 1 -> 2 and 2 -> 0. Returns true when the dialog closes with OK (after
  // the second OK); the panel then re-reads GA1T1, GA2T1 and BYP.
  bool Ok(CCamCmd& cmd, Reporter& reporter);

 private:
  int step_ = 0;
};

// The readout channel calibration for a colour: 0 red, 1 green, 2 blue.
inline constexpr std::array<const char*, 3> kReadoutColours = {"Red", "Green", "Blue"};
void ReadoutCalibration(CCamCmd& cmd, Reporter& reporter, int colour);

}  // namespace kestrel
