#include "service/temperature_monitor.h"

#include <cstdint>

#include "base/text_scan.h"

namespace kestrel {

namespace {
constexpr int kQueryMs = 3000;
}

std::string FormatTemperature(int raw) {
  return FixedText(raw * 0.0625, 1);
}

std::string TemperatureMonitor::ReadSensor(int entry) {
  int raw = 0;
  if (cmd_.QueryInt(entry, raw, ReplyTimeout(cmd_.Config(), kQueryMs)) == 1) {
    // Sixteenths of a degree in a 16-bit word: anything beyond is no reading.
    if (raw >= INT16_MIN && raw <= INT16_MAX) return FormatTemperature(raw);
    cmd_.Fail(FailureKind::Unreadable, cmd_.Table()[entry].mnemonic + ": the camera reports " +
                                           std::to_string(raw) + ", beyond a 16-bit reading");
  }
  if (cmd_.Config().offline != 1) host_.ReadingFailed(cmd_.LastFailure());
  return kTemperatureUnknown;
}

bool TemperatureMonitor::Read() {
  const std::string sensor1 = ReadSensor(cmd::TMP0);
  const std::string sensor2 = ReadSensor(cmd::TMP02);
  host_.ShowTemperatures(sensor1, sensor2);
  return sensor2 != kTemperatureUnknown;
}

void TemperatureMonitor::Flash(int ms) {
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
