#include "service/message_list.h"

#include "base/file_messages.h"
#include "base/text_file.h"

namespace kestrel {

void MessageList::AddMessage(const std::string& text) {
  lines_.push_front(text);
  while (lines_.size() > kMaxLines)
    lines_.pop_back();
  if (listener_) listener_();
}

void MessageList::Clear() {
  lines_.clear();
  if (listener_) listener_();
}

std::string MessageList::ExportText() const {
  std::string out;
  for (auto it = lines_.rbegin(); it != lines_.rend(); ++it) {
    out += *it;
    out += "\r\n";
  }
  return out;
}

bool MessageList::Export(const std::string& path) {
  if (!WriteFileAtomically(path, ExportText())) {
    failure_ = CannotCreate(path);
    return false;
  }
  AddMessage("Writing file has been done!");
  return true;
}

}  // namespace kestrel
