#pragma once

#include "protocol/cam_cmd.h"

namespace kestrel {

// Set means set: a camera may acknowledge a value and keep another (clamped,
// rounded, ignored). Every value `set`, `apply` and the panel send is read
// back, and one that did not stick is a failure, never a success.
//
// The rows read back are those of the panel's parameters that a setting
// file holds: they are plain values the camera reports as it keeps them.
// Commands that act (stores, the speed switch, area loads, the blemish
// pointers, bulk arrays) are not.
bool ReadBackApplies(int cmdIndex);

// kestrelctl's --no-verify: the read-back is left out for the rest of the
// process (or taken up again).
void LeaveOutReadBack(bool leaveOut = true);

// After an acknowledged set: queries the row and compares. 1 when the camera
// holds the value, or the row is not read back, or the read-back is left
// out, or the panel is offline; else 0 with LastFailure:
// the query's own failure, or (Rejected) "LR: the camera holds 1500 after
// LR=2000 was acknowledged".
[[nodiscard]] int ReadBackSet(CCamCmd& cmd, int cmdIndex, const ParamValue& value, int timeoutMs);

}  // namespace kestrel
