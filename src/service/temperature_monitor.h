#pragma once

#include <string>

#include "protocol/cam_cmd.h"

namespace kestrel {

// What the temperature monitor drives: the dialog's two window timers, its two
// fields and its flashing indicator, or kestrelctl's watch loop.
class TemperatureHost {
 public:
  virtual ~TemperatureHost() = default;
  virtual void StartTimer(int id, int periodMs) = 0;
  virtual void StopTimer(int id) = 0;
  virtual void ShowTemperatures(const std::string& sensor1, const std::string& sensor2) = 0;
  virtual void SetIndicator(bool on) = 0;
  // A sensor's query failed (never while offline): shown as it happens.
  virtual void ReadingFailed(const Failure& failure) = 0;
};

// A temperature as shown: raw sixteenths of a degree with one decimal
// ("400" -> "25.0", "-16" -> "-1.0").
std::string FormatTemperature(int raw);
inline constexpr const char* kTemperatureUnknown = "------";

// The temperature dialog's polling. Open reads both sensors and starts the
// 5 s poll only when Sensor2 answered; each reading flashes the indicator
// (500 ms the first time, 200 ms afterwards). A Sensor2 reading that fails
// stops the polling for good; the display then stays as it is.
class TemperatureMonitor {
 public:
  static constexpr int kPollTimer = 0;
  static constexpr int kFlashTimer = 1;
  static constexpr int kPollMs = 5000;

  TemperatureMonitor(CCamCmd& cmd, TemperatureHost& host) : cmd_(cmd), host_(host) {}

  void Open();
  void OnTimer(int id);
  void Close();

  bool Polling() const { return polling_; }

 private:
  // Queries both sensors; true when Sensor2 answered.
  bool Read();
  // One sensor's reading as shown, or kTemperatureUnknown.
  std::string ReadSensor(int entry);
  void Flash(int ms);

  CCamCmd& cmd_;
  TemperatureHost& host_;
  bool polling_ = false;
};

}  // namespace kestrel
