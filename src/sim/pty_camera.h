#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>

#include "sim/camera_model.h"
#include "sim/command_interpreter.h"

namespace kestrel::sim {

// How the simulated camera behaves on its line. Everything is off by default:
// a fast, well-behaved camera at 9600 bit/s.
struct SimOptions {
  int startBaud = 9600;        // the camera's speed at power-on
  bool pace = false;           // every byte takes its 8N1 time at the current speed
  bool checkHostSpeed = true;  // garble when the host's port speed differs
  std::string statePath;       // setting areas survive restarts in this file
  std::string cameraId;        // the camera ID at power-on instead of the model's (or the state's)

  // Fault knobs.
  int latencyMs = 0;                       // before every reply
  std::map<std::string, int> lateReplies;  // mnemonic -> extra delay before its replies
  std::set<std::string> rejected;          // mnemonics answered with an error line
  std::map<std::string, int32_t> clamped;  // mnemonic -> the most a set of it keeps
  int silentAfterLines = -1;               // answer nothing from this many lines on (-1: never)
  int hangUpAfterLines = -1;               // hang up on receiving this many lines (-1: never)
  double garbleShare = 0.0;                // share of replies whose characters are corrupted
  double dropShare = 0.0;                  // share of replies never sent
  uint32_t seed = 1;                       // for the two shares above
  int unsolicitedEveryMs = 0;              // send unsolicitedText this often (0: never)
  std::string unsolicitedText = "EVENT";
  bool echo = false;               // send every line received back before its reply
  int calibrationResult = 1;       // 1 done, 2..4 error codes, 0 running forever
  int calibrationPolls = 3;        // status polls that still report "running"
  uint32_t sequenceIdleMs = 1000;  // a bulk transfer restarts after this pause
};

// What went over the line so far.
struct SimStats {
  uint64_t bytesIn = 0;   // from the host
  uint64_t bytesOut = 0;  // to the host
  uint64_t linesIn = 0;
  uint64_t linesOut = 0;
  uint64_t garbledLines = 0;
  uint64_t droppedLines = 0;
  uint64_t errorLines = 0;     // error replies sent
  double modelledSeconds = 0;  // wire time of every byte at the line speed, plus latency
  // From the first byte received to the last byte sent: the time the host kept
  // the line busy, to compare with modelledSeconds.
  double activeSeconds = 0;
};

// The camera on a pseudo-terminal, run by a background thread. Open
// SlavePath() like a serial port. The camera keeps a slave descriptor of its
// own open, so the program may close and reopen the port at will.
class PtyCamera {
 public:
  explicit PtyCamera(SimOptions options = {});
  ~PtyCamera();
  PtyCamera(const PtyCamera&) = delete;
  PtyCamera& operator=(const PtyCamera&) = delete;

  const std::string& SlavePath() const { return slavePath_; }

  // f(CameraModel&) under the camera's lock.
  template <class F>
  decltype(auto) WithModel(F&& f) {
    std::lock_guard<std::mutex> lock(modelMutex_);
    return std::forward<F>(f)(model_);
  }

  SimStats Stats() const;
  int Baud() const;
  // True once the camera has hung up (a knob) or its line failed.
  bool HungUp() const { return hungUp_.load(); }
  // Sends one line to the host now, unasked.
  void SendUnsolicited(const std::string& line);
  // Knobs that may change while the camera runs.
  void SetLatencyMs(int ms) { latencyMs_.store(ms); }
  void SetSilent(bool silent) { silent_.store(silent); }  // answers nothing while set
  // Writes the state file now (also done after every area change and at exit).
  bool SaveState(std::string* error = nullptr);

 private:
  struct Out {
    uint64_t dueNs;
    std::string bytes;
    int newBaud;
    bool error;
    std::string wire;  // what goes out (garbled or not), decided at the first attempt
    size_t written = 0;
    bool started = false;
  };
  void Run();
  void OnLine(const std::string& line, uint64_t endNs);
  void Enqueue(std::vector<std::string> lines, uint64_t readyNs, int newBaud, bool error);
  void Flush(uint64_t nowNs);
  void DoHangUp();
  int HostBaud() const;
  bool Chance(double share);
  std::string Garble(const std::string& bytes, size_t count);

  SimOptions options_;
  int master_ = -1;
  int keepSlave_ = -1;
  int wake_[2] = {-1, -1};
  std::string slavePath_;

  mutable std::mutex modelMutex_;
  CameraModel model_;
  CommandInterpreter interpreter_{model_};

  mutable std::mutex ioMutex_;  // the output queue, the stats, the line speed
  std::deque<Out> out_;
  SimStats stats_;
  int baud_ = 9600;
  uint64_t rxFreeNs_ = 0;  // when the last received byte has crossed the wire
  uint64_t txFreeNs_ = 0;  // when the last queued byte will have crossed it
  uint64_t lastByteNs_ = 0;
  uint64_t latencySpentMs_ = 0;  // the camera's clock leaves out its own reply latency
  uint64_t lastClockMs_ = 0;
  uint64_t firstInNs_ = 0;
  uint64_t blockedSinceNs_ = 0;  // the host stopped reading; 0 while it reads
  uint64_t lastOutNs_ = 0;
  uint64_t nextUnsolicitedNs_ = 0;
  uint32_t random_ = 1;
  std::atomic<bool> hungUp_{false};
  std::atomic<bool> stop_{false};
  std::atomic<bool> silent_{false};
  std::atomic<int> latencyMs_{0};
  std::atomic<bool> dirty_{false};  // the state file lags behind the camera
  std::thread thread_;
};

}  // namespace kestrel::sim
