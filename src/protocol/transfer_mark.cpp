#include "protocol/transfer_mark.h"

#include <limits.h>
#include <stdlib.h>

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <map>
#include <thread>

#include "base/checked_input.h"
#include "base/text_file.h"
#include "link/port_lock.h"
#include "link/rs_port.h"
#include "protocol/cam_cmd.h"

namespace kestrel {

namespace {

// Added to the camera's restart time: the last command of the stopped run may
// still have been on the wire, and the camera's clock is not ours.
constexpr int kRestartMarginMs = 250;
constexpr std::chrono::milliseconds kWaitStep{20};

// The marks of a port: array -> when the transfer stopped (milliseconds of
// the real-time clock, the same for every process), or 0 when unknown (the
// run was killed while it sent, or still runs).
using Marks = std::map<std::string, long long>;

// Marks this process could not write into their file, by file.
std::map<std::string, Marks>& Known() {
  static std::map<std::string, Marks> marks;
  return marks;
}

long long Now() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// The file: one line a mark, "PBD" or "PBD 1765080000123".
Marks Load(const std::string& file) {
  Marks marks = Known()[file];
  std::string text;
  if (ReadWholeFile(file, text))
    for (const std::string& line : InputLines(text)) {
      const size_t blank = line.find(' ');
      if (line.empty() || blank == 0) continue;
      marks[line.substr(0, blank)] =
          blank == std::string::npos ? 0 : std::strtoll(line.c_str() + blank + 1, nullptr, 10);
    }
  // A transfer that stopped longer ago than the restart time matters no more.
  std::erase_if(marks, [](const auto& mark) {
    return mark.second != 0 && Now() - mark.second > kSequenceRestartMs + kRestartMarginMs;
  });
  return marks;
}

void Store(const std::string& file, const Marks& marks) {
  std::string text;
  for (const auto& [array, stopped] : marks)
    text += array + (stopped ? " " + std::to_string(stopped) : std::string()) + "\n";
  const bool kept = marks.empty() ? ::unlink(file.c_str()) == 0 || errno == ENOENT
                                  : WriteFileAtomically(file, text);
  // A folder that cannot be written keeps the marks in this process only.
  if (kept)
    Known().erase(file);
  else
    Known()[file] = marks;
}

}  // namespace

std::string TransferMark::FileFor(const CCamCmd& cmd) {
  const Settings& s = cmd.Config();
  if (s.offline == 1) return {};
  std::string device;
  if (s.serialMode != 0) {
    device = "cl" + std::to_string(s.serialMode) + "-" + std::to_string(s.camLinkSerialIndex);
  } else {
    device = CRsPort::DevicePath(s.commDevice.empty() ? "COM" + std::to_string(s.commPort + 1)
                                                      : s.commDevice);
    // Under every name of the device one mark: a by-id link and its ttyUSB.
    char resolved[PATH_MAX];
    if (::realpath(device.c_str(), resolved)) device = resolved;
  }
  std::string name = PortLock::FileName(device);
  name.replace(0, 5, "kestrel-transfers..");
  return PortLock::Folder() + "/" + name;
}

TransferMark::~TransferMark() {
  // Stopped before its end: the camera counts its idle time from now.
  if (file_.empty()) return;
  Marks marks = Load(file_);
  marks[array_] = Now();
  Store(file_, marks);
}

int TransferMark::Begin(CCamCmd& cmd, const std::string& array) {
  const std::string file = FileFor(cmd);
  if (file.empty()) return 1;
  Marks marks = Load(file);
  if (const auto mark = marks.find(array); mark != marks.end()) {
    // A run that was killed while it sent may have sent until a moment ago.
    const long long since = mark->second ? Now() - mark->second : 0;
    const long long waitMs = kSequenceRestartMs + kRestartMarginMs - std::max(0LL, since);
    if (waitMs > 0) {
      UserInterface& ui = cmd.Ui();
      ui.AppendLog("The last transfer of " + array + " did not end; waiting " +
                   std::to_string(waitMs) + " ms for the camera to start it again at element 0");
      const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
      for (auto now = std::chrono::steady_clock::now(); now < end;
           now = std::chrono::steady_clock::now()) {
        if (ui.CancelRequested())
          return cmd.Fail(FailureKind::Cancelled,
                          "Stopped before the transfer of " + array + " began; nothing was sent.");
        ui.PumpOneMessage();
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(end - now, kWaitStep));
      }
      cmd.ClearReceive();
    }
  }
  marks[array] = 0;
  Store(file, marks);
  file_ = file;
  array_ = array;
  return 1;
}

void TransferMark::Ended() {
  if (file_.empty()) return;
  Marks marks = Load(file_);
  marks.erase(array_);
  Store(file_, marks);
  file_.clear();
}

}  // namespace kestrel
