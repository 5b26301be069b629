#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/user_interface.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

// Stands in for the user interface while a long operation runs many commands:
// everything goes through to the real one except messages, which are kept so
// the operation can report every failure once, in one summary, with the
// camera's own words. Install with CCamCmd::SetUserInterface and put the old
// one back afterwards (CollectMessages does both).
class MessageCollector : public ForwardingUserInterface {
 public:
  explicit MessageCollector(UserInterface& inner) : ForwardingUserInterface(inner) {}

  MsgAnswer MessageBox(const std::string& text, MsgIcon, MsgButtons buttons,
                       const std::string&) override {
    messages_.push_back(text);
    return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgAnswer::Ok
                                                                        : MsgAnswer::No;
  }

  // The messages since the last Take, joined by "; ", and forgotten.
  std::string Take() {
    std::string joined;
    for (const std::string& m : messages_)
      joined += (joined.empty() ? "" : "; ") + m;
    messages_.clear();
    return joined;
  }

 private:
  std::vector<std::string> messages_;
};

// Collects the messages of the command object's transactions while it lives.
class CollectMessages {
 public:
  explicit CollectMessages(CCamCmd& cmd) : cmd_(cmd), old_(cmd.Ui()), collector_(old_) {
    cmd_.SetUserInterface(collector_);
  }
  ~CollectMessages() { cmd_.SetUserInterface(old_); }
  CollectMessages(const CollectMessages&) = delete;
  CollectMessages& operator=(const CollectMessages&) = delete;

  // The messages since the last call, joined; `otherwise` when there were none.
  std::string Take(const std::string& otherwise) {
    std::string m = collector_.Take();
    return m.empty() ? otherwise : m;
  }

 private:
  CCamCmd& cmd_;
  UserInterface& old_;
  MessageCollector collector_;
};

}  // namespace kestrel
