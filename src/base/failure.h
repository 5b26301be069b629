#pragma once

#include <string>
#include <utility>

#include "base/user_interface.h"

namespace kestrel {

// Why an operation did not do what it was asked. Every camera operation and
// every engine routine reports failure this way; the panel, kestrelctl and
// the scripts decide how and when to tell the person at the machine.
enum class FailureKind {
  None,
  NoAnswer,    // the camera did not answer within the time-out
  Rejected,    // the camera answered with something other than an acknowledgement
  Lost,        // the device went away (the system's reason in the text)
  Unreadable,  // a reply that cannot be read as what was asked (quoted in the text)
  Cancelled,   // the person stopped the operation
  BadInput,    // a value, a file's content or an argument that is not what it must be
  FileError,   // a file could not be opened, read or written (the system's reason in the text)
};

// The kind, and the text that tells the person what happened in the system's
// own words. A caption and an icon go with the texts that a window shows
// under their own caption ("File Open Error") or with the stop icon.
struct Failure {
  FailureKind kind = FailureKind::None;
  std::string text;
  std::string caption;
  MsgIcon icon = MsgIcon::Warning;

  Failure() = default;
  Failure(FailureKind k, std::string t, MsgIcon i = MsgIcon::Warning, std::string c = {})
      : kind(k), text(std::move(t)), caption(std::move(c)), icon(i) {}

  explicit operator bool() const { return kind != FailureKind::None; }
};

// The short name of a kind, as kestrelctl's JSON and the logs give it.
const char* KindName(FailureKind kind);

}  // namespace kestrel
