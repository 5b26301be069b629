#include "base/failure.h"

namespace kestrel {

const char* KindName(FailureKind kind) {
  switch (kind) {
    case FailureKind::None:
      return "none";
    case FailureKind::NoAnswer:
      return "no-answer";
    case FailureKind::Rejected:
      return "rejected";
    case FailureKind::Lost:
      return "lost";
    case FailureKind::Unreadable:
      return "unreadable";
    case FailureKind::Cancelled:
      return "cancelled";
    case FailureKind::BadInput:
      return "bad-input";
    case FailureKind::FileError:
      return "file-error";
  }
  return "unknown";
}

}  // namespace kestrel
