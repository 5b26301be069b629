#pragma once

#include <deque>
#include <functional>
#include <string>

#include "base/failure.h"
#include "base/user_interface.h"

namespace kestrel {

// The communication dialog's message list: the traffic without time stamps and
// the status lines of the tools, newest first, at most 1024 lines.
class MessageList {
 public:
  static constexpr size_t kMaxLines = 1024;

  void AddMessage(const std::string& text);
  void Clear();
  const std::deque<std::string>& Lines() const { return lines_; }
  void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

  // The export file's content: the lines oldest first, each ended by CR LF.
  std::string ExportText() const;

  // Writes the export file (atomically). On success adds "Writing file has been
  // done!" to the list; when the file cannot be written writes nothing and
  // LastFailure says why (the path, "Couldn't open the file", "File Open Error").
  [[nodiscard]] bool Export(const std::string& path);
  const Failure& LastFailure() const { return failure_; }

 private:
  std::deque<std::string> lines_;
  std::function<void()> listener_;
  Failure failure_;
};

}  // namespace kestrel
