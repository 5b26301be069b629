#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/failure.h"

namespace kestrel {

class CCamCmd;
class BindingTable;
struct ParsedLine;

// Opening the link, finding the camera's speed, identifying the camera and
// moving it to 115200 bit/s, as the panel does at start-up and kestrelctl
// before every command. Shared by both; no widgets.
class Connection {
 public:
  // The waits of the sequence. The defaults are the camera's; tests shorten them.
  struct Timing {
    int queryMs = 3000;  // "EA" at the last speed in use once no probe answered
    int probeMs = 200;   // "EA" at each speed of the search; the camera answers in milliseconds
    int setMs = 3000;    // "CBDRT"
  };

  explicit Connection(CCamCmd& cmd);
  Connection(CCamCmd& cmd, Timing timing);

  // Opens the link the settings name at the current baud index and queries
  // the current area ("EA"). True when the camera answered; LastFailure() is
  // "Failed to initialize!" with the reason when the port cannot be opened.
  bool Connect();

  // Finds the camera's speed: "EA" at the speed last in use first, then at
  // the other speeds the camera can be at, each with the short probe time-out;
  // when none answers, once more at the last speed with the full time-out (a
  // slow or busy camera). Leaves the link open and the baud index at the
  // speed that answered; on failure the link is closed, the baud index is
  // left as it was and Failure() says why. Shows nothing.
  // `lastTry` adds one more try at the last speed with the full time-out
  // (start-up); the panel's reconnection leaves it out, since it runs on the
  // user-interface thread and a silent device would freeze it for seconds.
  bool FindCamera(bool lastTry = true);

  // The whole start-up sequence: FindCamera, then a camera found below 115200
  // is switched to 115200 with "CBDRT"=16 and confirmed there, where
  // MayMoveCameraSpeed allows it. True when the
  // last step that ran succeeded; LastFailure() is "Failed to initialize!"
  // with the reason when the port cannot be opened, or the camera's refusal
  // of the switch. A camera that answers the switch with an error keeps its
  // speed and is used at it: true, with Note() saying so.
  bool NegotiateAndConnect();
  // What the person should know about a connection that works ("" when
  // nothing): the camera refused the switch to 115200 bit/s.
  const std::string& Note() const { return note_; }

  // The search of FindCamera in steps, for a window that must keep answering
  // while it looks: BeginSearch, then SearchStep from the event loop until it
  // returns Found or NotFound. A step opens the port at the next speed and
  // sends "EA?", or takes what has arrived, and never waits longer than one
  // byte time-out (10 ms). Found leaves the link open at the speed that
  // answered; NotFound leaves it closed, with Failure() (and LastFailure()
  // when the port could not be opened) saying why.
  enum class Search { Looking, Found, NotFound };
  void BeginSearch(bool lastTry);
  Search SearchStep();
  bool Searching() const { return searching_; }
  // Ends a search at once: the port is closed and the speed last in use
  // kept; or, when someone else has connected meanwhile, the link is left
  // as it is.
  void StopSearch(bool closePort = true);

  // A camera found below 115200 bit/s is moved there with "CBDRT"=16 and
  // confirmed at the new speed; true at once when it is there already, and
  // true with Note() when the camera refuses the switch (it keeps its speed
  // and is used at it). On failure LastFailure() holds the lost device (an
  // unanswered switch is the status line's, Failure()).
  bool MoveTo115200();

  // Why the last Connect, FindCamera or NegotiateAndConnect failed: the port
  // could not be opened (cause and cure), or nothing answered.
  const std::string& Failure() const { return failure_; }
  // What the window that ran Connect or NegotiateAndConnect tells the person
  // about their failure: kind None when a camera that did not answer is left
  // to the status line (Failure()).
  const kestrel::Failure& LastFailure() const { return told_; }
  // True when the device the settings name is there to be opened (always on
  // Camera Link): a lost link is worth reconnecting.
  bool DevicePresent() const;
  // "/dev/ttyUSB0", "COM1 (/dev/ttyS0)" or "the Camera Link port".
  std::string PortName() const;

  // The camera's current setting area as last read: 0 Factory, 1 User 1, 2 User 2.
  int CurrentArea() const { return currentArea_; }
  void SetCurrentArea(int area) { currentArea_ = area; }

 private:
  bool Identify(int timeoutMs);
  // Opens at the current baud index; false (failure_ set) when the port
  // cannot be opened.
  bool Open();
  std::string NoAnswerText(const std::vector<int>& bauds) const;
  void KeepSetFailure();

  Search EndSearch();

  struct Probe {
    int baudIndex;
    int timeoutMs;
    bool last;  // the patient try at the last speed
  };

  CCamCmd& cmd_;
  Timing timing_;
  std::string note_;
  std::vector<Probe> probes_;
  size_t nextProbe_ = 0;
  bool searching_ = false;
  bool probing_ = false;    // a probe's port is open
  bool probeSent_ = false;  // its "EA?" is out and the answer awaited
  int lastBaud_ = 0;
  std::vector<int> tried_;
  std::chrono::steady_clock::time_point deadline_{};
  int currentArea_ = 0;
  std::string failure_;
  kestrel::Failure told_;
  bool openFailed_ = false;  // the last Open, rather than the camera, failed
};

// The one rule on the camera's line speed: Kestrel moves the camera to
// another speed only when nothing fixes it. Never with the speed given for
// the run (Settings::speedGiven), never over a link that cannot pass a speed
// change on to the line (raw TCP: the camera would be stranded at a speed the
// relay does not run at), never while "Keep Camera Speed" is set.
bool MayMoveCameraSpeed(const CCamCmd& cmd);

// The camera took "CBDRT"=code: it now listens at that code's speed, and so
// must the link. Reopens at it (the baud index follows); false with the
// command object's LastFailure() when the port does not reopen. A code of no
// camera speed leaves everything as it is.
bool FollowCameraSpeed(CCamCmd& cmd, int code);

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
