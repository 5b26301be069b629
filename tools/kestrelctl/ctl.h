#pragma once

#include <memory>
#include <streambuf>
#include <string>
#include <vector>

#include "base/json_writer.h"
#include "base/settings.h"
#include "base/user_interface.h"
#include "correction/correction_kind.h"
#include "link/cl_serial.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"

namespace kestrel::ctl {

// Exit statuses.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;  // the camera rejected, timed out, or the port failed
inline constexpr int kUsage = 2;   // bad arguments or unknown names
inline constexpr int kDiffer = 3;  // diff: the two sides differ

// Messages go to stderr; progress draws a bar when stderr is a terminal.
// Quiet (-q): no progress and no information messages, only failures.
class TerminalUi : public UserInterface, public Reporter {
 public:
  MsgAnswer Report(const std::string& text, MsgIcon icon, MsgButtons buttons,
                   const std::string& caption) override;
  void ShowProgress() override;
  void SetProgressMessage(const std::string& text) override;
  void SetProgressPercent(int percent) override;
  void CloseProgress() override;

  // True once SIGINT, SIGTERM or SIGHUP arrived: the operation stops after
  // the command on the wire.
  bool CancelRequested() override;

  bool verbose = false;  // print the Tx/Rx log to stderr
  bool quiet = false;
  void AppendLog(const std::string& line) override;

 private:
  void Draw();
  bool tty_ = false;
  bool open_ = false;
  std::string text_;
  int percent_ = 0;
};

struct Context {
  Settings settings;
  TerminalUi ui;
  std::unique_ptr<CClSerial> cameraLink;  // created by Connect
  std::unique_ptr<CCamCmd> cmd;
  bool json = false;  // --json: one JSON document on stdout
  int timeoutMs = 3000;
  int listenMs = 500;
  bool baudForced = false;   // --baud: open at that speed, no search
  int storedBaudRate = 0;    // the "Baud Rate" the settings store held at start
  std::string portOverride;  // --port
  // --cl-mode, --cl-port, --cl-library, --cl-manufacturer: a camera behind a
  // Camera Link serial library.
  int clMode = 0;
  int clPort = -1;
  std::string clLibrary;
  std::string clManufacturer;
  int linksPrepared = 0;  // how often Prepare ran: a usage error must leave it 0

  // Chooses the Camera Link library, manufacturer and port from the options
  // and the settings. Prints why not on failure.
  bool PrepareCameraLink();

  // Creates the command object on the link the options and the settings name,
  // without opening it (for commands that negotiate the speed as the panel
  // does). Prints why not on failure.
  bool Prepare();
  // Prepare, then reach the camera (ReachCamera: its speed is found unless
  // --baud gave it). Prints why not on failure.
  bool Connect();
  // Keeps the speed in use in the settings store, where the panel keeps it,
  // so that the next run finds the camera at once.
  void RememberBaud();
};

using CommandFn = int (*)(Context& ctx, const std::vector<std::string>& args);

// What a command prints on stdout when it succeeds. Under --json a Json
// command prints its own document, a None command gets "{}" and a Text
// command is refused; every failure prints {"error": "..."}.
enum class Output { None, Json, Text };

struct Command {
  const char* name;
  const char* usage;  // one line, after "kestrelctl [options] "
  CommandFn run;
  Output output = Output::None;
};

// Each command family registers itself from its own file.
struct Registrar {
  Registrar(std::initializer_list<Command> commands);
};
const std::vector<Command>& Commands();

// Standard output, checked: std::cout writes straight to descriptor 1 and
// keeps the reason of the first write that failed (a closed stdout, a full
// disk), so that a lost output is a failure, never exit 0. Standard streams
// that were closed at start are held open on /dev/null for reading only, so
// the serial port can never take descriptor 1 and writes there still fail.
class CheckedStdout : private std::streambuf {
 public:
  CheckedStdout();
  ~CheckedStdout() override;
  // Flushes everything written; the exit status, kFailed with the system's
  // reason printed when any output was lost.
  int Finish(int status);

 private:
  int overflow(int ch) override;
  int sync() override;
  bool Drain();
  char buffer_[4096];
  std::streambuf* previous_ = nullptr;
  int error_ = 0;
};

// SIGINT, SIGTERM and SIGHUP stop the running operation after the command
// on the wire (CancelRequested); the run then releases the port and its lock
// and exits 128 + the signal's number. A second signal ends it at once.
void InstallStopHandlers();
// The signal that asked to stop, or 0.
int StopSignal();
// "Stopped at line 30 of 216; the rest was not sent." when a signal stopped
// a run of `total` steps after `done`; false when no signal came.
bool StoppedAt(int done, int total, const char* step = "line");

// The options and the command: the exit status. Main loads the settings into
// ctx first.
int RunCommandLine(Context& ctx, const std::vector<std::string>& args);

// Shared helpers.
// A failure, on stderr; under --json it also becomes the error document.
void PrintError(const std::string& text);
bool ParseIntArg(const std::string& text, int& out);
// A failure's text on stderr (and as the JSON error): kFailed.
int Failed(const Failure& failure);
// kOk when the operation succeeded, else the command object's LastFailure
// printed: kFailed.
int Outcome(Context& ctx, bool ok);
// "No answer from Camera! (Timeout error) for <the last command>".
std::string NoAnswerFor(const Context& ctx);

// The finished document and a line end on stdout.
void PrintJson(const JsonWriter& document);
// A camera value typed as its command row says: integer, real or text.
void WriteValue(JsonWriter& w, const CommandEntry& row, const ParamValue& value);

// correction stats: the statistics of the camera's array of that kind and
// sensor, or of a file of that kind when `file` is given.
int CorrectionStats(Context& ctx, CorrectionKind kind, int sensor, const std::string& file,
                    bool json);

// diff FILE.kbak: the camera against a backup (a file named *.kbak, or a
// tar archive by its content).
bool IsBackupFile(const std::string& path);
int DiffBackup(Context& ctx, const std::string& path);

}  // namespace kestrel::ctl
