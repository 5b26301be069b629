#include "service/comm_log.h"

#include <cstdarg>
#include <cstdio>

#include "base/tick.h"

namespace kestrel {

CommLog::CommLog(TickSource tick) : tick_(tick ? std::move(tick) : TickSource(TickCount)) {
  start_ = tick_();
}

void CommLog::Start() {
  start_ = tick_();
}

std::string CommLog::Stamp(uint32_t elapsedMs, const std::string& text) {
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "%04d ", static_cast<int>(elapsedMs / 1000));
  return stamp + text;
}

void CommLog::AppendLog(const std::string& text) {
  lines_.push_front(Stamp(tick_() - start_, text));
  while (lines_.size() > kMaxLines)
    lines_.pop_back();
  if (listener_) listener_();
}

void CommLog::PrintLog(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  AppendLog(buffer);
}

void CommLog::Clear() {
  lines_.clear();
  if (listener_) listener_();
}

}  // namespace kestrel
