#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrel {

class CCamCmd;
class BindingTable;
struct ParsedLine;

// Opening the link, identifying the camera and moving it to 115200 bit/s, as
// the panel does at start-up and kestrelctl does before it reads. Shared by
// both; no widgets.
class Connection {
 public:
  // The waits of the sequence. The defaults are the camera's; tests shorten them.
  struct Timing {
    int queryMs = 3000;       // "EA" while identifying
    int retryPauseMs = 3000;  // pause before the second "EA"
    int setMs = 3000;         // "CBDRT"
  };

  explicit Connection(CCamCmd& cmd);
  Connection(CCamCmd& cmd, Timing timing);

  // Opens the link the settings name at the current baud index and queries
  // the current area ("EA"), once more after a pause if the first query gets
  // no answer. "Failed to initialize!" when the port cannot be opened.
  // True when the camera answered.
  bool Connect();

  // The whole start-up sequence: 9600 bit/s, else 115200; a camera found at
  // 9600 is switched to 115200 with "CBDRT"=16 and confirmed there. Leaves the
  // baud index in the settings at the speed in use (0 when nothing answered).
  // True when the last step that ran succeeded.
  bool NegotiateAndConnect();

  // The camera's current setting area as last read: 0 Factory, 1 User 1, 2 User 2.
  int CurrentArea() const { return currentArea_; }
  void SetCurrentArea(int area) { currentArea_ = area; }

 private:
  CCamCmd& cmd_;
  Timing timing_;
  int currentArea_ = 0;
};

// One clock count of the camera: 0.149925 us.
inline constexpr double kClockMicroseconds = 0.149925;

// "%.3fus" of a line period or exposure in clock counts.
std::string TimeText(int32_t counts);
// The exposure display: " over" when the exposure is longer than the line
// period while the sensor runs on its internal clock in a mode other than PWC.
// tr: TR list index (2 is "PWC"); tg: TG list index (0 is "Internal").
std::string ExposureText(int32_t pe, int32_t lr, int tr, int tg);

// What the simulated camera answers to one received line.
struct SimulatedAnswer {
  std::string line;  // without CR LF
};

// The answer the panel's simulated camera gives to a received line, or
// nothing: "321" for "VN?", "EB=0" for "EB?", "EA=<area>" for "EA?", the
// stored value of the bound command in the set syntax for any other query,
// "COMPLETE" for any set. `table` supplies the stored values.
std::optional<SimulatedAnswer> SimulateAnswer(const CCamCmd& cmd, const BindingTable& table,
                                              const std::string& line, int currentArea);

// One tick of the simulated camera (every 100 ms while "SIMULATION" is 1):
// answers the oldest received line, if any. Returns true when it answered.
bool SimulationTick(CCamCmd& cmd, const BindingTable& table, int currentArea);

}  // namespace kestrel
