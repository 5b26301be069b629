#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/camera_model.h"

namespace kestrel::sim {

// Error lines the camera sends instead of "COMPLETE" or a reply. They never
// begin with "COMPLETE" and never hold "=", so no program mistakes them.
namespace err {
inline constexpr const char* kUnknown = "ERROR UNKNOWN COMMAND";
inline constexpr const char* kSyntax = "ERROR SYNTAX";
inline constexpr const char* kRange = "ERROR OUT OF RANGE";
inline constexpr const char* kReadOnly = "ERROR READ ONLY";
inline constexpr const char* kLocked = "ERROR LOCKED";
inline constexpr const char* kRejected = "ERROR REJECTED";
inline constexpr const char* kOverflow = "ERROR LINE TOO LONG";
}  // namespace err

// What the camera does about one command line.
struct Reply {
  std::vector<std::string> lines;  // each sent with CR LF
  int newBaud = 0;                 // switch to this speed once the lines are out
};

// The camera's command interpreter: one line in, the reply lines out. Holds
// no state of its own beyond the partial line of Feed; everything the camera
// remembers lives in the model.
class CommandInterpreter {
 public:
  static constexpr size_t kMaxLine = 2048;

  explicit CommandInterpreter(CameraModel& model) : model_(model) {}

  // One line without its terminator (a trailing CR or LF is ignored). nowMs is
  // the camera's clock, used for the sequences' idle rule.
  Reply Execute(std::string_view line, uint64_t nowMs);

  // Byte-stream form: assembles lines (ended by LF or CR; empty lines are
  // ignored), executes them and returns every reply byte. A line longer than
  // kMaxLine is discarded up to its end and answered with one error line.
  std::string Feed(std::string_view bytes, uint64_t nowMs);
  // Drops a partial line (the line went quiet, or garbage came in).
  void DropPartial() {
    partial_.clear();
    overflow_ = false;
  }
  bool HasPartial() const { return !partial_.empty() || overflow_; }
  // Adds one byte; a complete line is returned in `line` with true.
  bool Assemble(char byte, std::string& line, bool& overflowed);

 private:
  struct Cmd {
    std::string name;
    char op = '=';
    std::string arg;      // after the separator, as sent
    std::string compact;  // the same without blanks
    uint64_t now = 0;
  };
  Reply Dispatch(const Cmd& c);
  Reply TableRow(const Cmd& c, int firstRow);
  Reply SequenceCmd(const Cmd& c, const std::string& seqName);
  Reply StoreCmd(const Cmd& c);
  Reply ColourTable(const Cmd& c);
  Reply AreaCmd(const Cmd& c);
  Reply RunCmd(const Cmd& c);
  Reply StatusCmd(const Cmd& c);
  Reply BlemishPosition(const Cmd& c);
  Reply Memory(const Cmd& c);
  Reply AfeTable(const Cmd& c);
  Reply SensorMemory(const Cmd& c);
  Reply Registers(const Cmd& c);
  Reply Factory(const Cmd& c);
  Reply Automatic(const Cmd& c);

  CameraModel& model_;
  std::string partial_;
  bool overflow_ = false;
};

// Line speed of a Camera Link baud code (1, 2, 4, 8, 16), or 0.
int BaudOfCode(int code);
int CodeOfBaud(int baud);

}  // namespace kestrel::sim
