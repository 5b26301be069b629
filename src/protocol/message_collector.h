#pragma once

#include <string>

#include "protocol/cam_cmd.h"

namespace kestrel {

// For a long operation that runs many commands and reports every failure
// once, in one summary: the camera's own words on the command that just
// failed ("ERROR for LR=200", the lost-device text).
class CollectMessages {
 public:
  explicit CollectMessages(CCamCmd& cmd) : cmd_(cmd) {}
  CollectMessages(const CollectMessages&) = delete;
  CollectMessages& operator=(const CollectMessages&) = delete;

  // Read right after the failure: the reason the command object recorded, or
  // `otherwise` when the camera said nothing (no answer within the time-out).
  std::string Take(const std::string& otherwise) const {
    const Failure& f = cmd_.LastFailure();
    return f.kind == FailureKind::NoAnswer || f.text.empty() ? otherwise : f.text;
  }

 private:
  CCamCmd& cmd_;
};

}  // namespace kestrel
