#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

namespace kestrel {

// The communication log of the whole program (the terminal's list): one line
// per entry, "%04d %s" with the whole seconds since Start, newest first, at
// most 512 lines. Fed on the user-interface thread only.
class CommLog {
 public:
  static constexpr size_t kMaxLines = 512;
  using TickSource = std::function<uint32_t()>;

  explicit CommLog(TickSource tick = {});

  // Takes the start tick (the terminal window's creation).
  void Start();
  void AppendLog(const std::string& text);
  // printf-style, at most 255 characters, then AppendLog.
  void PrintLog(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Clear();

  const std::deque<std::string>& Lines() const { return lines_; }
  // Called after every change, so a window can show the list.
  void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

  // "%04d %s" of the whole seconds in elapsedMs; unsigned, so one wrap of the
  // millisecond counter still gives the right figure.
  static std::string Stamp(uint32_t elapsedMs, const std::string& text);

 private:
  TickSource tick_;
  uint32_t start_ = 0;
  std::deque<std::string> lines_;
  std::function<void()> listener_;
};

}  // namespace kestrel
