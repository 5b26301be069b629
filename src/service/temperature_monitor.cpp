#include "service/temperature_monitor.h"

#include "base/text_scan.h"

namespace kestrel {

namespace {
constexpr int kQueryMs = 3000;
}

std::string FormatTemperature(int raw) {
  return FixedText(raw * 0.0625, 1);
}

bool TemperatureMonitor::Read() {
  int raw = 0;
  sensor1_ = cmd_.QueryInt(cmd::TMP0, raw, ReplyTimeout(cmd_.Config(), kQueryMs)) == 1
                 ? FormatTemperature(raw)
                 : kTemperatureUnknown;
  const bool second = cmd_.QueryInt(cmd::TMP02, raw, ReplyTimeout(cmd_.Config(), kQueryMs)) == 1;
  sensor2_ = second ? FormatTemperature(raw) : kTemperatureUnknown;
  host_.ShowTemperatures(sensor1_, sensor2_);
  return second;
}

void TemperatureMonitor::Flash(int ms) {
  indicator_ = true;
  host_.SetIndicator(true);
  host_.StartTimer(kFlashTimer, ms);
}

void TemperatureMonitor::Open() {
  if (Read()) {
    polling_ = true;
    host_.StartTimer(kPollTimer, kPollMs);
  }
  Flash(500);
}

void TemperatureMonitor::OnTimer(int id) {
  if (id == kPollTimer) {
    // A tick already queued when the polling stopped is ignored.
    if (!polling_) return;
    if (!Read()) {
      polling_ = false;
      host_.StopTimer(kPollTimer);
    }
    Flash(200);
  } else if (id == kFlashTimer) {
    indicator_ = false;
    host_.SetIndicator(false);
    host_.StopTimer(kFlashTimer);
  }
}

void TemperatureMonitor::Close() {
  polling_ = false;
  host_.StopTimer(kPollTimer);
  host_.StopTimer(kFlashTimer);
}

}  // namespace kestrel
