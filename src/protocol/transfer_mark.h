#pragma once

#include <string>

namespace kestrel {

class CCamCmd;

// Bulk arrays travel without an index: the camera keeps each array's position
// between commands and goes back to element 0 only once the array has been
// idle for its restart time (kSequenceRestartMs), after the last group, or at
// power-on. A transfer that stops half-way (cancelled, killed, a line
// refused) leaves the camera in the middle of the array, and a retry started
// at once would be shifted by that much.
//
// So every transfer marks its array as begun and clears the mark once its
// last group went through; one that stops earlier records when it stopped.
// The marks of a port live in a small file beside its lock file
// ("kestrel-transfers..ttyUSB0" in /var/lock), so that the next run of any
// Kestrel program sees them; where that folder cannot be written, they live
// in this process only. A transfer of an array whose mark is still set first
// waits out the camera's restart time, counted from when the last one stopped
// (from now when that is unknown: a run that was killed), so that it starts
// at 0.

// The camera's idle time after which a bulk array starts again at element 0.
inline constexpr int kSequenceRestartMs = 1000;

class TransferMark {
 public:
  TransferMark() = default;
  // A transfer that began and did not end records when it stopped, so that
  // the next one waits only what is left of the restart time.
  ~TransferMark();
  TransferMark(const TransferMark&) = delete;
  TransferMark& operator=(const TransferMark&) = delete;

  // Marks the transfer of `array` on cmd's camera as begun. When an earlier
  // transfer of the same array did not end, first waits the restart time
  // (cancellable, the user interface pumped) and drops what arrived
  // meanwhile. 0 when the wait was cancelled (LastFailure says so).
  [[nodiscard]] int Begin(CCamCmd& cmd, const std::string& array);
  // The last group went through: the camera is back at element 0.
  void Ended();

  // The file holding the marks of a port ("COMn", a device path, or a
  // Camera Link key), "" for the offline stand-in.
  static std::string FileFor(const CCamCmd& cmd);

 private:
  std::string file_;
  std::string array_;
};

}  // namespace kestrel
