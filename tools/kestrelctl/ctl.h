#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/cl_serial.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"
#include "protocol/settings.h"
#include "protocol/user_interface.h"

namespace kestrel::ctl {

// Exit statuses.
inline constexpr int kOk = 0;
inline constexpr int kFailed = 1;  // the camera rejected, timed out, or the port failed
inline constexpr int kUsage = 2;   // bad arguments or unknown names

// Messages go to stderr; progress draws a bar when stderr is a terminal.
class TerminalUi : public UserInterface {
 public:
  MsgAnswer MessageBox(const std::string& text, MsgIcon icon, MsgButtons buttons,
                       const std::string& caption) override;
  void ShowProgress() override;
  void SetProgressMessage(const std::string& text) override;
  void SetProgressPercent(int percent) override;
  void CloseProgress() override;

  bool verbose = false;  // print the Tx/Rx log to stderr
  int shown = 0;         // messages shown so far
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
  CRsPort port;
  TerminalUi ui;
  std::unique_ptr<CClSerial> cameraLink;  // created by Connect
  std::unique_ptr<CCamCmd> cmd;
  int timeoutMs = 3000;
  int listenMs = 500;
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
  // Prepare, then open the link. Prints why not on failure.
  bool Connect();
};

using CommandFn = int (*)(Context& ctx, const std::vector<std::string>& args);

struct Command {
  const char* name;
  const char* usage;  // one line, after "kestrelctl [options] "
  CommandFn run;
};

// Each command family registers itself from its own file.
struct Registrar {
  Registrar(std::initializer_list<Command> commands);
};
const std::vector<Command>& Commands();

// The options and the command: the exit status. Main loads the settings into
// ctx first.
int RunCommandLine(Context& ctx, const std::vector<std::string>& args);

// Shared helpers.
void PrintError(const std::string& text);
bool ParseIntArg(const std::string& text, int& out);

}  // namespace kestrel::ctl
