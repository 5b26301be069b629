#pragma once

#include <QTimer>
#include <memory>
#include "gui/tool_window.h"

#include "service/temperature_monitor.h"

class QLabel;

namespace kestrel {

class ToolContext;

// The square that flashes cyan at every reading.
class TemperatureLamp : public QWidget {
  Q_OBJECT
 public:
  explicit TemperatureLamp(QWidget* parent = nullptr);
  bool Lit() const { return lit_; }
  void SetLit(bool on);
  QSize sizeHint() const override { return {14, 14}; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  bool lit_ = false;
};

// "Temperature": both sensors' temperatures, read at opening and then every
// 5 s while Sensor2 answers. Exists only while open: the panel's "Temp"
// button creates it, closing destroys it (deferred, so a reading under way
// finishes first).
class CDlgTemp : public ToolWindow, public TemperatureHost {
  Q_OBJECT
 public:
  CDlgTemp(ToolContext& tools, QWidget* parent = nullptr);
  ~CDlgTemp() override;

  // The first reading and the start of the polling; call once it is shown.
  void Open();

  QLabel* Sensor1() const { return sensor1_; }
  QLabel* Sensor2() const { return sensor2_; }
  TemperatureLamp* Lamp() const { return lamp_; }
  bool TimerActive(int id) const { return timers_[id].isActive(); }
  int TimerInterval(int id) const { return timers_[id].interval(); }

  // TemperatureHost
  void StartTimer(int id, int periodMs) override;
  void StopTimer(int id) override;
  void ShowTemperatures(const std::string& sensor1, const std::string& sensor2) override;
  void SetIndicator(bool on) override;
  void ReadingFailed(const Failure& failure) override;

  // What window timer `id` (0 poll, 1 flash) does when it fires.
  void TimerTick(int id);

 protected:
  void reject() override;

 private:
  ToolContext& tools_;
  TemperatureMonitor monitor_;
  QTimer timers_[2];
  QLabel* sensor1_;
  QLabel* sensor2_;
  TemperatureLamp* lamp_;
};

}  // namespace kestrel
